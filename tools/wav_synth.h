#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Short melodies made in code, for the demo install, the tests and the benchmarks, so that the
// project holds no binary sound files.
namespace zorvik::wav {

struct Note {
    double frequency;  // Hz; 0 is a rest
    double seconds;
};

// A soft-edged sine tune, mono, 16-bit.
std::vector<std::int16_t> synthesize(const std::vector<Note>& notes, int sampleRate);

// A canonical 44-byte-header PCM WAV file of 16-bit samples (interleaved when stereo).
std::string pcm16File(const std::vector<std::int16_t>& samples, int sampleRate, int channels);

// A tune of `seconds` built from a seed, so that every demo melody sounds different.
std::string demoMelody(unsigned seed, double seconds, int sampleRate = 22050);

}  // namespace zorvik::wav
