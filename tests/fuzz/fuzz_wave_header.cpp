// The header check both players rely on, on arbitrary bytes. Whatever it accepts must be safe to
// hand to winmm, the ACM codecs, PulseAudio and libsndfile as it stands, and it must have read
// only the header to decide.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "sound/wave_header.h"
#include "tests/fuzz/finding.h"

namespace {

using zorvik::fuzz::require;

std::uint16_t le16(const unsigned char* at) {
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t bytesRead = 0;
    const auto header = zorvik::readWaveHeader(
        size,
        [&](std::uint64_t offset, std::span<unsigned char> into) -> std::optional<std::size_t> {
            require(offset <= size);
            const std::size_t taken =
                std::min<std::size_t>(into.size(), size - static_cast<std::size_t>(offset));
            std::memcpy(into.data(), data + offset, taken);
            bytesRead += taken;
            return taken;
        });
    // chunk headers and one format at most, never the sound
    require(bytesRead <= 12 + 1024 * 8 + 24 + 18 + 0xFFFF);
    if (!header.ok()) {
        return 0;
    }
    const auto& wave = header.value();
    require(wave.channels >= 1 && wave.channels <= zorvik::kMostChannels);
    require(wave.sampleRate >= 1 && wave.sampleRate <= zorvik::kHighestSampleRate);
    require(wave.blockAlign >= 1 && wave.dataSize % wave.blockAlign == 0);
    require(wave.bytesPerSecond >= 1 &&
            wave.bytesPerSecond <= std::uint64_t{wave.sampleRate} * wave.blockAlign);
    require(wave.dataOffset <= size && wave.dataSize <= size - wave.dataOffset);
    // what waveOutOpen is given: a whole WAVEFORMATEX that says what the check saw
    const unsigned char* format = wave.format.data();
    require(wave.format.size() >= 18 && wave.format.size() == 18u + le16(format + 16));
    require(le16(format + 2) == wave.channels && le16(format + 12) == wave.blockAlign);
    return 0;
}
