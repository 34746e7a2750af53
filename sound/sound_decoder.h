#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/status.h"

namespace zorvik::sound {

// What the phone program plays as a ring melody, and so what every sound becomes on its way into
// the Rings folder: 16-bit PCM, one or two channels, between these rates.
inline constexpr std::uint32_t kLowestMelodyRate = 8000;
inline constexpr std::uint32_t kHighestMelodyRate = 48000;
inline constexpr std::uint16_t kMostMelodyChannels = 2;

struct MelodyShape {
    std::uint16_t channels = 0;    // 1 or 2
    std::uint32_t sampleRate = 0;  // kLowestMelodyRate to kHighestMelodyRate
    friend bool operator==(const MelodyShape&, const MelodyShape&) = default;
};

// How far a decoding has come through its source, for the progress dialog; `total` 0 when the
// source does not say.
struct DecodingProgress {
    std::uint64_t done = 0;
    std::uint64_t total = 0;
};

// A sound decoded as it is read, already in the shape of a melody (more channels mixed down, a
// rate outside the range resampled), so that memory stays the same whatever the source's length.
class DecodedSound {
public:
    virtual ~DecodedSound() = default;
    virtual MelodyShape shape() const = 0;
    // Up to into.size() interleaved samples, whole frames only; 0 at the end. A source damaged
    // past its start ends where the damage starts, as a player would play it.
    virtual Result<std::size_t> read(std::span<std::int16_t> into) = 0;
    virtual DecodingProgress progress() const = 0;
};

// The platform's own decoders (never hand-written ones), behind one small interface.
class SoundDecoder {
public:
    virtual ~SoundDecoder() = default;
    // Opens the sound file at `hostPath` and reads enough of it to know that it can be decoded.
    // Fails, with a reason only (the caller names the file), for a file that holds no sound, is
    // damaged, or needs a decoder this machine lacks (the reason then says what to install).
    virtual Result<std::unique_ptr<DecodedSound>> open(const std::string& hostPath) = 0;
};

// The decoder of the platform the program is built for; each platform's folder defines it.
std::unique_ptr<SoundDecoder> createPlatformSoundDecoder();

}  // namespace zorvik::sound
