#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tools/wav_synth.h"

namespace zorvik::testing {

// A WAV file the program's own check takes, whose sound is `samples` (8-bit mono at 8 kHz): a
// melody of a few bytes that differ per test.
inline std::string waveFile(std::string_view samples) {
    return wav::riff(wav::chunk("fmt ", wav::waveFormat(1, 1, 8000, 1, 8)) +
                     wav::chunk("data", samples));
}

// What the fake decoder (fake_sound_decoder.h) takes for a sound, and the melody it becomes.
inline std::string fakeSound(unsigned channels, unsigned rate, unsigned frames,
                             std::uint64_t declaredFrames = 0) {
    return "sound " + std::to_string(channels) + " " + std::to_string(rate) + " " +
           std::to_string(frames) +
           (declaredFrames != 0 ? " " + std::to_string(declaredFrames) : std::string());
}
inline std::string melodyOfFakeSound(unsigned channels, unsigned rate, unsigned frames) {
    std::vector<std::int16_t> samples(std::size_t{frames} * channels);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(i);
    }
    return wav::pcm16File(samples, static_cast<int>(rate), static_cast<int>(channels));
}

}  // namespace zorvik::testing
