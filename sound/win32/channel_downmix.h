#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace zorvik::win32 {

// A phone plays one or two channels: a sound of more is mixed down to two, each speaker to the
// side it stands on (a front one whole, the others 3 dB down, a centre one to both sides 3 dB
// down, the low-frequency effects left out, as a stereo mix leaves them), scaled so that no sum
// can clip. Speakers are read from a WAVE channel mask (FFmpeg's layouts share its first bits);
// without one, from Windows' usual layout for that many channels.
class ChannelDownmix {
public:
    ChannelDownmix(unsigned channels, std::uint32_t speakerMask);

    // Appends the stereo frames of `frames` (interleaved, whole frames) to `into`.
    void mix(std::span<const std::int16_t> frames, std::vector<std::int16_t>& into) const;

private:
    std::vector<float> left_;  // a weight for each source channel
    std::vector<float> right_;
};

}  // namespace zorvik::win32
