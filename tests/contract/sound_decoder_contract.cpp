// The decoder's contract, one table for every platform's decoder: the sounds people have
// decode into a melody's shape and length, and what only poses as one is refused cleanly. The
// sounds are made before the tests by make-test-sounds, in the folder ZORVIK_TEST_SOUNDS names
// (a host path); the table makes the damaged ones itself, beside them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "tests/contract/harness.h"
#include "tools/wav_synth.h"

namespace zorvik::testing {
namespace {

struct DecodedRow {
    const char* file;
    const char* kind;  // the extension a backend is asked about
    std::uint16_t channels;
    std::uint32_t rate;
    double seconds;
};

class SoundDecoderContract : public ::testing::TestWithParam<SoundDecoderBackend> {
protected:
    void SetUp() override {
        const char* folder = std::getenv("ZORVIK_TEST_SOUNDS");
        if (folder == nullptr || *folder == '\0') {
            GTEST_SKIP() << "ZORVIK_TEST_SOUNDS names no folder of test sounds";
        }
        folder_ = folder;
#ifdef _WIN32
        // the host's folder, as Wine's drive Z: shows it
        if (folder_.front() == '/') {
            folder_ = "Z:" + folder_;
            std::replace(folder_.begin(), folder_.end(), '/', '\\');
        }
#endif
        decoder_ = GetParam().make();
    }
    std::string path(const std::string& file) const {
        return folder_ + separator() + file;
    }
    static char separator() {
#ifdef _WIN32
        return '\\';
#else
        return '/';
#endif
    }
    std::string read(const std::string& file) const {
        std::ifstream in(path(file), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // A file of the table's own, named for this backend: the backends' tests may run at once.
    std::string made(const std::string& name, const std::string& bytes) const {
        const std::string file = GetParam().name + "-" + name;
        std::ofstream(path(file), std::ios::binary) << bytes;
        return path(file);
    }

    std::string folder_;
    std::unique_ptr<sound::SoundDecoder> decoder_;
};

// Every sample, in blocks as a conversion reads them: how many frames, and how loud.
struct Decoded {
    std::uint64_t frames = 0;
    double rms = 0;
    bool wholeFrames = true;
};

Decoded decodeAll(sound::DecodedSound& sound) {
    const std::size_t channels = sound.shape().channels;
    std::vector<std::int16_t> block(4099);  // no whole number of frames of any shape
    Decoded decoded;
    double squares = 0;
    std::uint64_t samples = 0;
    for (;;) {
        const auto got = sound.read(block);
        if (!got.ok() || got.value() == 0) {
            EXPECT_TRUE(got.ok()) << got.failure().message;
            break;
        }
        decoded.wholeFrames = decoded.wholeFrames && got.value() % channels == 0;
        for (std::size_t i = 0; i < got.value(); ++i) {
            squares += static_cast<double>(block[i]) * block[i];
        }
        samples += got.value();
    }
    decoded.frames = samples / channels;
    decoded.rms = samples == 0 ? 0 : std::sqrt(squares / static_cast<double>(samples)) / 32768;
    return decoded;
}

// The sounds people have, in shapes a melody does not take too: each decodes whole, mixed down
// to two channels at most and within 8 to 48 kHz, as long as it is (give or take what an
// encoder adds at the start), and sounds; where this platform has no decoder for one, it is
// refused with a reason.
TEST_P(SoundDecoderContract, TheSoundsPeopleHaveDecodeIntoAMelodysShape) {
    const DecodedRow rows[] = {
        {"tone.mp3", "mp3", 2, 44100, 2},           {"mono.mp3", "mp3", 1, 22050, 2},
        {"tone.m4a", "m4a", 2, 48000, 2},           {"tone.ogg", "ogg", 2, 44100, 2},
        {"tone.opus", "opus", 2, 48000, 2},         {"tone.wma", "wma", 2, 44100, 2},
        {"six-channels.flac", "flac", 2, 48000, 1}, {"high-rate.flac", "flac", 1, 44100, 1},
        {"flac-named.mp3", "flac", 1, 44100, 1},    {"low-rate.wav", "wav", 1, 8000, 2},
        {"past-players.wav", "wav", 1, 48000, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        auto opened = decoder_->open(path(row.file));
        if (!GetParam().reads(row.kind)) {
            ASSERT_FALSE(opened.ok());
            EXPECT_FALSE(opened.failure().message.empty());
            continue;
        }
        ASSERT_TRUE(opened.ok()) << opened.failure().message;
        sound::DecodedSound& sound = *opened.value();
        EXPECT_EQ(sound.shape(), (sound::MelodyShape{row.channels, row.rate}));
        const double expected = row.seconds * row.rate;
        const double slack = 0.08 * row.rate;  // an encoder's padding, a resampler's delay
        EXPECT_TRUE(sound.frames() == 0 ||
                    std::abs(static_cast<double>(sound.frames()) - expected) < slack)
            << sound.frames() << " frames declared";
        const Decoded decoded = decodeAll(sound);
        EXPECT_NEAR(static_cast<double>(decoded.frames), expected, slack);
        EXPECT_TRUE(decoded.wholeFrames);
        EXPECT_GT(decoded.rms, 0.2) << "a half-loud tone came out";
        const sound::DecodingProgress progress = sound.progress();
        EXPECT_TRUE(progress.total == 0 || (progress.done > 0 && progress.done <= progress.total));
    }
}

// What only poses as a sound, or is damaged, never opens, and says why; a sound cut short
// decodes what is there.
TEST_P(SoundDecoderContract, WhatIsNoSoundOrIsDamagedIsRefusedCleanly) {
    const std::string mp3 = read("tone.mp3");
    ASSERT_GT(mp3.size(), 4096u);
    std::string noise(65536, '\0');
    std::uint32_t seed = 2463534242u;
    for (char& byte : noise) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        byte = static_cast<char>(seed >> 24);
    }
    const std::string noChannels =
        wav::riff(wav::chunk("fmt ", wav::waveFormat(1, 0, 8000, 2, 16)) +
                  wav::chunk("data", std::string(4000, '\x10')));
    const struct {
        const char* what;
        std::string path;
    } refused[] = {
        {"a text named .mp3", made("notes.mp3", "Not a sound at all, only words.\n")},
        // a decoder that followed it would read another file, or the network
        {"a playlist named .mp3",
         made("playlist.mp3", "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\n" + path("tone.mp3") +
                                  "\n#EXT-X-ENDLIST\n")},
        {"an empty file", made("empty.mp3", "")},
        {"random bytes", made("noise.mp3", noise)},
        {"a WAV with no channels", made("no-channels.wav", noChannels)},
        {"only the start of an MP3", made("start.mp3", mp3.substr(0, 300))},
        {"no such file", path("missing.mp3")},
    };
    for (const auto& row : refused) {
        SCOPED_TRACE(row.what);
        const auto opened = decoder_->open(row.path);
        ASSERT_FALSE(opened.ok()) << opened.value()->frames() << " frames";
        EXPECT_FALSE(opened.failure().message.empty());
    }
    if (GetParam().reads("mp3")) {
        auto half = decoder_->open(made("half.mp3", mp3.substr(0, mp3.size() / 2)));
        ASSERT_TRUE(half.ok()) << half.failure().message;
        EXPECT_NEAR(static_cast<double>(decodeAll(*half.value()).frames), 44100, 0.15 * 44100);
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, SoundDecoderContract,
                         ::testing::ValuesIn(soundDecoderBackends()),
                         [](const auto& backend) { return backend.param.name; });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(SoundDecoderContract);

}  // namespace
}  // namespace zorvik::testing
