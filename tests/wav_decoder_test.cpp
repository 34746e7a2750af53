#include <gtest/gtest.h>

#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>
#include <vector>

#include "sound/sndfile/wav_decoder.h"
#include "sound/sound_failures.h"
#include "tests/support/temp_folder.h"
#include "tests/support/wave_table.h"
#include "tools/wav_synth.h"

namespace zorvik {
namespace {

using testing::TempFolder;
using testing::writeFile;

// A 440 Hz tone in any format libsndfile writes, so the tests need no binary fixtures.
std::string writeTone(const std::string& path, int format, int rate, int channels,
                      double seconds = 0.25) {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        return sf_strerror(nullptr);
    }
    const auto frames = static_cast<std::size_t>(seconds * rate);
    std::vector<float> samples(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < frames; ++i) {
        const auto value = static_cast<float>(
            0.5 * std::sin(2 * std::numbers::pi * 440.0 * static_cast<double>(i) / rate));
        for (int c = 0; c < channels; ++c) {
            samples[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] = value;
        }
    }
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(frames));
    sf_close(file);
    return {};
}

double rms(const std::vector<float>& samples) {
    double sum = 0;
    for (float s : samples) {
        sum += static_cast<double>(s) * s;
    }
    return samples.empty() ? 0 : std::sqrt(sum / static_cast<double>(samples.size()));
}

std::vector<float> decodeAll(WavDecoder& decoder) {
    std::vector<float> all;
    std::vector<float> chunk(512 * static_cast<std::size_t>(decoder.channels()));
    while (std::size_t got = decoder.read(chunk.data(), 512)) {
        all.insert(
            all.end(), chunk.begin(),
            chunk.begin() + static_cast<long>(got * static_cast<std::size_t>(decoder.channels())));
    }
    return all;
}

TEST(WavDecoder, DecodesTheWholeWavFamily) {
    struct Case {
        const char* name;
        int format;
        int rate;
        int channels;
    };
    const Case cases[] = {
        {"PCM 8-bit", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 8000, 1},
        {"PCM 16-bit", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 2},
        {"PCM 24-bit", SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, 2},
        {"PCM 32-bit", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 22050, 1},
        {"IEEE float", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 2},
        {"IEEE double", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 16000, 1},
        {"WAVE_FORMAT_EXTENSIBLE", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 96000, 2},
        {"µ-law", SF_FORMAT_WAV | SF_FORMAT_ULAW, 8000, 1},
        {"A-law", SF_FORMAT_WAV | SF_FORMAT_ALAW, 8000, 1},
        {"IMA ADPCM", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 22050, 1},
        {"MS ADPCM", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 22050, 2},
        {"GSM 6.10", SF_FORMAT_WAV | SF_FORMAT_GSM610, 8000, 1},
        {"six channels, of which the first two play", SF_FORMAT_WAVEX | SF_FORMAT_PCM_16, 48000, 6},
    };
    TempFolder folder;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = (folder / "tone.wav").string();
        ASSERT_EQ(writeTone(path, c.format, c.rate, c.channels), "");
        auto decoder = WavDecoder::openFile(path);
        ASSERT_TRUE(decoder.ok()) << decoder.failure().message;
        EXPECT_EQ(decoder.value()->sampleRate(), c.rate);
        const int channels = std::min(c.channels, 2);
        EXPECT_EQ(decoder.value()->channels(), channels);
        const auto samples = decodeAll(*decoder.value());
        const double seconds =
            static_cast<double>(samples.size()) / channels / static_cast<double>(c.rate);
        EXPECT_NEAR(seconds, 0.25, 0.08);  // block codecs pad their last block
        EXPECT_NEAR(rms(samples), 0.5 / std::sqrt(2.0), 0.08) << "the tone itself came out";
    }
}

// The headers the Windows build is held to as well: what it takes opens here too, the rest is
// refused for the same reason before libsndfile reads a byte of it.
TEST(WavDecoder, TakesTheHeadersWindowsTakesAndRefusesTheRest) {
    TempFolder folder;
    for (const auto& row : testing::waveCases()) {
        SCOPED_TRACE(row.name);
        writeFile(folder / row.name, row.bytes);
        const auto decoder = WavDecoder::openFile((folder / row.name).string());
        if (!row.refused) {
            EXPECT_TRUE(decoder.ok()) << decoder.failure().message;
            continue;
        }
        ASSERT_FALSE(decoder.ok());
        const Failure expected = failure_text::playFault(*row.refused);
        EXPECT_EQ(decoder.failure().code, expected.code);
        EXPECT_EQ(decoder.failure().message, expected.message);
    }
}

// Whatever took a melody's name is opened without waiting, and only a file on disk is read.
TEST(WavDecoder, OpensOnlyAWaveFileOnDiskAndNeverWaitsForOne) {
    TempFolder folder;
    const auto fifo = folder / "fifo.wav";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directories(folder / "folder.wav");
    ASSERT_EQ(writeTone((folder / "aiff.wav").string(), SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 8000, 1),
              "");
    // an open that waited for a writer to the pipe would hang here, until the runner's timeout
    const struct {
        std::string path;
        Failure expected;
    } rows[] = {
        {fifo.string(), failure_text::playFault(PlayFault::NotAFile)},
        {"/dev/zero", failure_text::playFault(PlayFault::NotAFile)},
        {(folder / "folder.wav").string(), {ErrorCode::IsFolder, "това е папка, а не файл"}},
        {(folder / "missing.wav").string(), {ErrorCode::NotFound, "файлът не съществува"}},
        {(folder / "aiff.wav").string(), failure_text::playFault(PlayFault::NotWave)},
    };
    for (const auto& row : rows) {
        const auto decoder = WavDecoder::openFile(row.path);
        ASSERT_FALSE(decoder.ok()) << row.path;
        EXPECT_EQ(decoder.failure().code, row.expected.code) << row.path;
        EXPECT_EQ(decoder.failure().message, row.expected.message) << row.path;
    }
}

long residentBytes() {
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

// A large melody is read as it plays: opening it and playing its start costs a few buffers.
TEST(WavDecoder, ALargeMelodyIsReadAsItPlays) {
    TempFolder folder;
    constexpr std::uint32_t kLarge = 400u << 20;
    const auto path = folder / "large.wav";
    writeFile(path, wav::riff(wav::chunk("fmt ", wav::waveFormat(1, 2, 44100, 4, 16)) + "data" +
                              wav::le32(kLarge)));
    std::filesystem::resize_file(path, 44 + kLarge);  // a hole: nothing written to disk
    const long before = residentBytes();
    auto decoder = WavDecoder::openFile(path.string());
    ASSERT_TRUE(decoder.ok()) << decoder.failure().message;
    std::vector<float> buffer(4096 * 2);
    for (int chunk = 0; chunk < 16; ++chunk) {
        ASSERT_EQ(decoder.value()->read(buffer.data(), 4096), 4096u);
    }
    EXPECT_LT(residentBytes() - before, 32l << 20) << "the melody was read whole";
}

TEST(WavDecoder, ATruncatedFileEndsWhereItsDataEnds) {
    const std::string whole = wav::pcm16File(wav::synthesize({{440, 0.5}}, 8000), 8000, 1);
    auto decoder = WavDecoder::openMemory(whole.substr(0, whole.size() / 2));
    ASSERT_TRUE(decoder.ok());
    const auto samples = decodeAll(*decoder.value());
    EXPECT_GT(samples.size(), 1000u);
    EXPECT_LT(samples.size(), 4000u);
}

}  // namespace
}  // namespace zorvik
