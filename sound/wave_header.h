#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "platform/status.h"

namespace zorvik {

// What a player needs of a wave file's header, checked so that no sound library ever sees a
// field it would divide by, assert on or size a buffer from while it is a lie.
struct WaveHeader {
    // The "fmt " chunk as a WAVEFORMATEX: its 18 bytes and the cbSize bytes after them (cbSize
    // 0 when the chunk has only the 16 bytes of a PCMWAVEFORMAT).
    std::vector<unsigned char> format;
    // The format tag, or the sub-format's tag for WAVE_FORMAT_EXTENSIBLE where it has one.
    std::uint16_t tag = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    // A second of sound in bytes, worked out from the fields the check could trust; for a
    // codec it does not know, the file's own figure, no more than a whole block a sample.
    std::uint64_t bytesPerSecond = 0;
    std::uint16_t blockAlign = 0;
    std::uint64_t dataOffset = 0;
    // Whole blocks only, and never past the end of the file: a file cut short plays what it
    // holds, as Windows plays it.
    std::uint64_t dataSize = 0;
};

namespace wave_tag {
inline constexpr std::uint16_t kPcm = 0x0001;
inline constexpr std::uint16_t kMsAdpcm = 0x0002;
inline constexpr std::uint16_t kFloat = 0x0003;
inline constexpr std::uint16_t kALaw = 0x0006;
inline constexpr std::uint16_t kMuLaw = 0x0007;
inline constexpr std::uint16_t kImaAdpcm = 0x0011;
inline constexpr std::uint16_t kGsm610 = 0x0031;
inline constexpr std::uint16_t kExtensible = 0xFFFE;
}  // namespace wave_tag

// {xxxxxxxx-0000-0010-8000-00AA00389B71}: WAVE_FORMAT_EXTENSIBLE's sub-format GUID for a tag,
// which stands in its first two bytes (the next two are zero); these are its last twelve.
inline constexpr std::array<unsigned char, 12> kSubFormatBase = {
    0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// The highest rate PulseAudio takes (above it Wine's PulseAudio driver fails an assertion and
// ends the program), and the most channels a melody may have.
inline constexpr std::uint32_t kHighestSampleRate = 384000;
inline constexpr std::uint16_t kMostChannels = 64;

// Reads up to into.size() bytes at `offset`: how many were read (fewer only at the end of the
// file), or nullopt when reading failed.
using ReadAt =
    std::function<std::optional<std::size_t>(std::uint64_t offset, std::span<unsigned char> into)>;

// Reads only the chunk headers up to the format and the data, and the format itself: a file of
// any size is checked in a few small reads. The failure's message is a reason only; the player
// names the file.
Result<WaveHeader> readWaveHeader(std::uint64_t fileSize, const ReadAt& readAt);

}  // namespace zorvik
