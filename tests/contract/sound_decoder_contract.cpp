// The decoder's contract, one table for every platform's decoder: the sounds people have
// decode into a melody's shape and length, and what only poses as one is refused cleanly. The
// sounds are made before the tests by make-test-sounds in the folder ZORVIK_TEST_SOUNDS names
// (the host's path); the table makes the damaged ones itself, beside them.
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

class SoundDecoderContract : public ::testing::TestWithParam<SoundDecoderBackend> {
protected:
    void SetUp() override {
        const char* folder = std::getenv("ZORVIK_TEST_SOUNDS");
        if (folder == nullptr || *folder == '\0') {
            GTEST_SKIP() << "ZORVIK_TEST_SOUNDS names no folder of test sounds";
        }
        folder_ = folder;
#ifdef _WIN32
        folder_ = "Z:" + folder_;  // the host's folder, as Wine's drive Z: shows it
        std::replace(folder_.begin(), folder_.end(), '/', '\\');
#endif
        decoder_ = GetParam().make();
    }
    std::string path(const std::string& file) const {
        return folder_ + "/" + file;
    }
    // A file of the table's own, named for this backend: the backends' tests may run at once.
    std::string made(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(GetParam().name + "-" + name), std::ios::binary) << bytes;
        return path(GetParam().name + "-" + name);
    }

    std::string folder_;
    std::unique_ptr<sound::SoundDecoder> decoder_;
};

// Every sample, in blocks of no whole number of frames: how many frames, and how loud.
std::pair<double, double> framesAndLoudness(sound::DecodedSound& sound) {
    std::vector<std::int16_t> block(4099);
    double squares = 0;
    double samples = 0;
    for (auto got = sound.read(block); got.ok() && got.value() > 0; got = sound.read(block)) {
        EXPECT_EQ(got.value() % sound.shape().channels, 0u) << "whole frames only";
        for (std::size_t i = 0; i < got.value(); ++i) {
            squares += static_cast<double>(block[i]) * block[i];
        }
        samples += static_cast<double>(got.value());
    }
    return {samples / sound.shape().channels, samples == 0 ? 0 : std::sqrt(squares / samples)};
}

// The sounds people have, in shapes a melody does not take too: each decodes whole, mixed down
// to two channels at most and within 8 to 48 kHz, as long as it is (give or take what an
// encoder adds at the start), and sounds; where this platform has no decoder for one, it is
// refused with a reason. A sound cut short decodes what is there.
TEST_P(SoundDecoderContract, TheSoundsPeopleHaveDecodeIntoAMelodysShape) {
    std::ifstream mp3(path("tone.mp3"), std::ios::binary);
    const std::string half(std::istreambuf_iterator<char>(mp3), {});
    const struct {
        std::string file;
        const char* kind;  // the extension a backend is asked about
        sound::MelodyShape shape;
        double seconds;
    } rows[] = {
        {path("tone.mp3"), "mp3", {2, 44100}, 2},
        {path("mono.mp3"), "mp3", {1, 22050}, 2},
        {made("half.mp3", half.substr(0, half.size() / 2)), "mp3", {2, 44100}, 1},
        {path("tone.m4a"), "m4a", {2, 48000}, 2},
        {path("tone.ogg"), "ogg", {2, 44100}, 2},
        {path("tone.opus"), "opus", {2, 48000}, 2},
        {path("tone.wma"), "wma", {2, 44100}, 2},
        {path("six-channels.flac"), "flac", {2, 48000}, 1},
        {path("high-rate.flac"), "flac", {1, 44100}, 1},
        {path("flac-named.mp3"), "flac", {1, 44100}, 1},
        {path("mp3-without-extension"), "mp3", {2, 44100}, 2},
        {path("Звън на Зорвик.mp3"), "mp3", {2, 44100}, 2},
        {path("low-rate.wav"), "wav", {1, 8000}, 2},
        {path("past-players.wav"), "wav", {1, 48000}, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        auto opened = decoder_->open(row.file);
        if (!GetParam().reads(row.kind)) {
            EXPECT_FALSE(opened.ok() || opened.failure().message.empty());
            continue;
        }
        ASSERT_TRUE(opened.ok()) << opened.failure().message;
        EXPECT_EQ(opened.value()->shape(), row.shape);
        const auto declared = static_cast<double>(opened.value()->frames());
        const auto [frames, loudness] = framesAndLoudness(*opened.value());
        // the length the 4 GB bound is checked against before a byte is written: a source cut
        // short may claim its whole length, never much less than it holds
        EXPECT_GE(declared, frames - 0.15 * row.shape.sampleRate);
        // an encoder's padding, a resampler's delay, an MP3 cut within a frame
        EXPECT_NEAR(frames, row.seconds * row.shape.sampleRate, 0.1 * row.shape.sampleRate);
        EXPECT_GT(loudness, 0.2 * 32768) << "the half-loud tone came out";
        const sound::DecodingProgress progress = opened.value()->progress();
        EXPECT_LE(progress.done, progress.total);
    }
}

// What only poses as a sound, or is damaged, never opens, and says why.
TEST_P(SoundDecoderContract, WhatIsNoSoundOrIsDamagedIsRefusedWithAReason) {
    std::string noise(65536, '\0');
    std::uint32_t seed = 1;
    for (char& byte : noise) {
        byte = static_cast<char>((seed = seed * 1664525u + 1013904223u) >> 24);
    }
    std::ifstream mp3(path("tone.mp3"), std::ios::binary);
    const std::string start(std::istreambuf_iterator<char>(mp3), {});
    const std::string refused[] = {
        made("notes.mp3", "Not a sound at all, only words.\n"),
        // a decoder that followed it would read another file, or the network
        made("playlist.mp3", "#EXTM3U\n#EXT-X-TARGETDURATION:2\n#EXTINF:2,\n" + path("tone.mp3") +
                                 "\n#EXT-X-ENDLIST\n"),
        made("empty.mp3", ""),
        made("noise.mp3", noise),
        made("no-channels.wav", wav::riff(wav::chunk("fmt ", wav::waveFormat(1, 0, 8000, 2, 16)) +
                                          wav::chunk("data", std::string(4000, '\x10')))),
        made("start.mp3", start.substr(0, 300)),
        path("missing.mp3"),
    };
    for (const auto& file : refused) {
        SCOPED_TRACE(file);
        const auto opened = decoder_->open(file);
        ASSERT_FALSE(opened.ok()) << opened.value()->frames() << " frames";
        EXPECT_FALSE(opened.failure().message.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, SoundDecoderContract,
                         ::testing::ValuesIn(soundDecoderBackends()),
                         [](const auto& backend) { return backend.param.name; });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(SoundDecoderContract);

}  // namespace
}  // namespace zorvik::testing
