#include "sound/win32/channel_downmix.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace zorvik::win32 {

namespace {

// The speakers of a WAVE channel mask, in the order their channels come.
enum Speaker : std::uint32_t {
    FrontLeft = 0x1,
    FrontRight = 0x2,
    FrontCenter = 0x4,
    LowFrequency = 0x8,
    BackLeft = 0x10,
    BackRight = 0x20,
    FrontLeftOfCenter = 0x40,
    FrontRightOfCenter = 0x80,
    BackCenter = 0x100,
    SideLeft = 0x200,
    SideRight = 0x400,
    TopCenter = 0x800,
    TopFrontLeft = 0x1000,
    TopFrontCenter = 0x2000,
    TopFrontRight = 0x4000,
    TopBackLeft = 0x8000,
    TopBackCenter = 0x10000,
    TopBackRight = 0x20000,
};

std::uint32_t usualLayout(unsigned channels) {
    switch (channels) {
        case 3:
            return FrontLeft | FrontRight | FrontCenter;
        case 4:
            return FrontLeft | FrontRight | BackLeft | BackRight;
        case 5:
            return FrontLeft | FrontRight | FrontCenter | BackLeft | BackRight;
        case 6:
            return FrontLeft | FrontRight | FrontCenter | LowFrequency | BackLeft | BackRight;
        case 7:
            return FrontLeft | FrontRight | FrontCenter | LowFrequency | BackCenter | SideLeft |
                   SideRight;
        default:
            return FrontLeft | FrontRight | FrontCenter | LowFrequency | BackLeft | BackRight |
                   SideLeft | SideRight;
    }
}

struct Weights {
    float left;
    float right;
};

// A channel past the mask's speakers has no known place: it goes to the middle.
Weights weightsOf(std::uint32_t speaker) {
    constexpr float kWhole = 1.0f;
    constexpr float kLowered = 0.70710678f;  // 3 dB down
    switch (speaker) {
        case FrontLeft:
        case FrontLeftOfCenter:
            return {kWhole, 0};
        case FrontRight:
        case FrontRightOfCenter:
            return {0, kWhole};
        case BackLeft:
        case SideLeft:
        case TopFrontLeft:
        case TopBackLeft:
            return {kLowered, 0};
        case BackRight:
        case SideRight:
        case TopFrontRight:
        case TopBackRight:
            return {0, kLowered};
        case LowFrequency:
            return {0, 0};
        default:
            return {kLowered, kLowered};
    }
}

}  // namespace

ChannelDownmix::ChannelDownmix(unsigned channels, std::uint32_t speakerMask) {
    std::uint32_t speakers = speakerMask != 0 ? speakerMask : usualLayout(channels);
    for (unsigned channel = 0; channel < channels; ++channel) {
        const std::uint32_t speaker = speakers & (~speakers + 1);  // the lowest one left
        speakers &= ~speaker;
        const Weights weights = weightsOf(speaker);
        left_.push_back(weights.left);
        right_.push_back(weights.right);
    }
    float loudest = 1.0f;
    for (const auto* side : {&left_, &right_}) {
        float sum = 0;
        for (const float weight : *side) {
            sum += weight;
        }
        loudest = std::max(loudest, sum);
    }
    for (auto* side : {&left_, &right_}) {
        for (float& weight : *side) {
            weight /= loudest;
        }
    }
}

void ChannelDownmix::mix(std::span<const std::int16_t> frames,
                         std::vector<std::int16_t>& into) const {
    const std::size_t channels = left_.size();
    const auto asSample = [](float value) {
        constexpr float kLowest = std::numeric_limits<std::int16_t>::min();
        constexpr float kHighest = std::numeric_limits<std::int16_t>::max();
        return static_cast<std::int16_t>(std::lround(std::clamp(value, kLowest, kHighest)));
    };
    for (std::size_t first = 0; first + channels <= frames.size(); first += channels) {
        float left = 0;
        float right = 0;
        for (std::size_t channel = 0; channel < channels; ++channel) {
            const auto sample = static_cast<float>(frames[first + channel]);
            left += left_[channel] * sample;
            right += right_[channel] * sample;
        }
        into.push_back(asSample(left));
        into.push_back(asSample(right));
    }
}

}  // namespace zorvik::win32
