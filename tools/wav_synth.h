#pragma once

#include <cstdint>
#include <string>
#include <string_view>
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

// Wave files byte by byte, for headers no encoder would write.
std::string le16(unsigned value);
std::string le32(std::uint32_t value);
// A chunk with its id, its size and its body, padded to an even length.
std::string chunk(std::string_view id, std::string_view body);
// "RIFF", the size of what follows, "WAVE", then the chunks.
std::string riff(std::string_view chunks);
// A WAVEFORMATEX: the bytes a second are worked out from the rate and the block, and cbSize
// counts `extra`.
std::string waveFormat(unsigned tag, unsigned channels, std::uint32_t rate, unsigned blockAlign,
                       unsigned bits, std::string_view extra = {});

}  // namespace zorvik::wav
