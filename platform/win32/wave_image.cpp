#include "platform/win32/wave_image.h"

#include <algorithm>
#include <cstdint>

namespace zorvik::win32 {

namespace {

std::uint32_t le32(const unsigned char* at) {
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

void putLe32(unsigned char* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<unsigned char>(value >> (8 * i));
    }
}

bool isId(const unsigned char* at, std::string_view id) {
    return std::equal(id.begin(), id.end(), at,
                      [](char a, unsigned char b) { return static_cast<unsigned char>(a) == b; });
}

Failure corrupt(std::string_view why) {
    return {ErrorCode::Corrupt, std::string(why)};
}

// PCMWAVEFORMAT (16 bytes) and WAVEFORMATEX (18 and its cbSize more)
constexpr std::size_t kPcmFormatSize = 16;
constexpr std::size_t kFormatExSize = 18;

}  // namespace

Result<WaveImage> waveImageOf(std::vector<unsigned char> bytes) {
    if (bytes.size() < 12 || !isId(bytes.data(), "RIFF") || !isId(bytes.data() + 8, "WAVE")) {
        return Failure{ErrorCode::Unsupported, "файлът не е във формат WAV"};
    }
    WaveImage image;
    bool hasData = false;
    std::size_t at = 12;
    while (at + 8 <= bytes.size()) {
        unsigned char* chunk = bytes.data() + at;
        const std::size_t body = at + 8;
        const std::size_t available = bytes.size() - body;
        std::size_t size = le32(chunk + 4);
        if (isId(chunk, "fmt ")) {
            if (size < kPcmFormatSize || size > available) {
                return corrupt("описанието на звука е повредено");
            }
            const unsigned char* format = chunk + 8;
            std::size_t extra = 0;
            if (size >= kFormatExSize) {
                extra = static_cast<std::size_t>(format[16]) | static_cast<std::size_t>(format[17])
                                                                   << 8;
                if (kFormatExSize + extra > size) {
                    return corrupt("описанието на звука е повредено");
                }
            }
            const std::size_t used = size >= kFormatExSize ? kFormatExSize + extra : kPcmFormatSize;
            image.format.assign(format, format + used);
            image.format.resize(kFormatExSize + extra, 0);
        } else if (isId(chunk, "data")) {
            hasData = true;
            if (size > available) {
                // a file cut short plays what it holds, and Windows never reads past it
                size = available;
                putLe32(chunk + 4, static_cast<std::uint32_t>(size));
            }
        }
        if (size > available) {
            break;
        }
        at = body + size + (size & 1);
    }
    if (image.format.empty()) {
        return corrupt("липсва описанието на звука");
    }
    if (!hasData) {
        return corrupt("липсват звуковите данни");
    }
    if (le32(bytes.data() + 4) > bytes.size() - 8) {
        putLe32(bytes.data() + 4, static_cast<std::uint32_t>(bytes.size() - 8));
    }
    image.bytes = std::move(bytes);
    return image;
}

}  // namespace zorvik::win32
