// The decoders' contract, one table for every platform's decoder, over the sounds of
// tests/contract/make-test-sounds.
#include <gtest/gtest.h>

#include <cmath>
#include <future>

#include "platform/texts.h"
#include "tests/contract/sound_decoder_harness.h"

namespace zorvik::testing {
namespace {

enum class Expect { Decodes, NotASound, Empty, Missing };

struct SoundRow {
    const char* file;
    Expect expect = Expect::Decodes;
    sound::MelodyShape shape{};
    double seconds = 0;
    double slack = 0;  // what the format's framing adds or takes (an MP3's encoder delay)
    bool rightSilent = false;
};

struct Decoded {
    std::uint64_t frames = 0;
    std::vector<double> loudness;  // root mean square, channel by channel
    bool wholeFrames = true;
    bool progressForwards = true;
    sound::DecodingProgress last;
    std::optional<Failure> failure;
};

// To the end on a thread of its own, as the program's conversion reads it, in pieces that are
// not whole frames of every shape.
Decoded readToEnd(sound::DecodedSound& sound) {
    return std::async(
               std::launch::async,
               [&sound] {
                   Decoded decoded;
                   const std::size_t channels = sound.shape().channels;
                   std::vector<double> energy(channels);
                   std::vector<std::int16_t> piece(1001);
                   for (;;) {
                       const auto read = sound.read(piece);
                       if (!read.ok() || read.value() == 0) {
                           decoded.failure =
                               read.ok() ? std::nullopt : std::optional(read.failure());
                           break;
                       }
                       decoded.wholeFrames = decoded.wholeFrames && read.value() % channels == 0;
                       for (std::size_t i = 0; i < read.value(); ++i) {
                           energy[i % channels] += double(piece[i]) * piece[i];
                       }
                       decoded.frames += read.value() / channels;
                       const auto now = sound.progress();
                       decoded.progressForwards =
                           decoded.progressForwards && now.done >= decoded.last.done;
                       decoded.last = now;
                   }
                   for (const double sum : energy) {
                       decoded.loudness.push_back(
                           std::sqrt(sum / double(std::max<std::uint64_t>(decoded.frames, 1))));
                   }
                   return decoded;
               })
        .get();
}

class SoundDecoderContract : public ::testing::TestWithParam<SoundDecoderBackend> {};

// Every format a phone's owner may have becomes 16-bit PCM in a shape a phone plays, as long as
// its source, whatever its name says; what is no sound is refused with the reason why.
TEST_P(SoundDecoderContract, EverySoundBecomesAMelodyAndWhatIsNoneIsRefused) {
    constexpr sound::MelodyShape kCompactDisc{2, 44100};
    constexpr double kLoud = 1000;  // the tone's level is near 2,000
    constexpr double kSilent = 10;
    const SoundRow rows[] = {
        {"tone.mp3", Expect::Decodes, kCompactDisc, 3, 0.05},
        {"tone.m4a", Expect::Decodes, {2, 48000}, 3, 0.05},
        {"tone.wma", Expect::Decodes, kCompactDisc, 3, 0.05},
        {"tone.opus", Expect::Decodes, {2, 48000}, 3, 0.01},
        {"mono.ogg", Expect::Decodes, {1, 22050}, 3, 0.01},
        {"high.flac", Expect::Decodes, {2, 48000}, 3, 0.01},  // 96 kHz
        {"low.wav", Expect::Decodes, {1, 8000}, 3, 0.01},     // 8 bits at 6 kHz
        {"surround.flac", Expect::Decodes, {2, 48000}, 3, 0.01, true},
        {"Звън на Зорвик.mp3", Expect::Decodes, kCompactDisc, 3, 0.05},
        {"mp3.ogg", Expect::Decodes, kCompactDisc, 3, 0.05},
        {"mp3-without-extension", Expect::Decodes, kCompactDisc, 3, 0.05},
        {"cut.mp3", Expect::Decodes, kCompactDisc, 1.5, 0.1},  // what is there
        {"text.mp3", Expect::NotASound},
        {"random.mp3", Expect::NotASound},
        {"empty.mp3", Expect::Empty},
        {"missing.mp3", Expect::Missing},
    };
    const SoundDecoderBackend& backend = GetParam();
    const auto decoder = backend.make();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        auto opened = decoder->open(backend.pathOf(row.file));
        if (row.expect != Expect::Decodes) {
            ASSERT_FALSE(opened.ok());
            const Failure expected =
                row.expect == Expect::NotASound
                    ? Failure{ErrorCode::Unsupported, backend.undecodable}
                : row.expect == Expect::Empty
                    ? Failure{ErrorCode::Corrupt, std::string(texts::kSoundFileEmpty)}
                    : Failure{ErrorCode::NotFound, std::string(texts::reason(ErrorCode::NotFound))};
            EXPECT_EQ(opened.failure().code, expected.code);
            EXPECT_EQ(opened.failure().message, expected.message);
            continue;
        }
        ASSERT_TRUE(opened.ok()) << opened.failure().message;
        auto& sound = *opened.value();
        ASSERT_EQ(sound.shape(), row.shape);
        const Decoded decoded = readToEnd(sound);
        EXPECT_FALSE(decoded.failure) << decoded.failure->message;
        EXPECT_NEAR(double(decoded.frames) / row.shape.sampleRate, row.seconds, row.slack);
        EXPECT_TRUE(decoded.wholeFrames);
        EXPECT_GT(decoded.loudness.front(), kLoud);
        if (row.rightSilent) {
            EXPECT_LT(decoded.loudness.back(), kSilent);
        } else {
            EXPECT_GT(decoded.loudness.back(), kLoud);
        }
        EXPECT_TRUE(decoded.progressForwards);
        EXPECT_GT(decoded.last.total, 0u);
        EXPECT_EQ(decoded.last.done, decoded.last.total);
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, SoundDecoderContract,
                         ::testing::ValuesIn(soundDecoderBackends()),
                         [](const auto& backend) { return backend.param.name; });

}  // namespace
}  // namespace zorvik::testing
