#pragma once

#include <string_view>
#include <vector>

#include "platform/status.h"

namespace zorvik::win32 {

// A whole wave file in memory, checked so that Windows can play it from there: a RIFF/WAVE
// file with a format that the wave mapper (and through it every installed codec) accepts, and
// chunk sizes that never reach past the bytes read.
struct WaveImage {
    std::vector<unsigned char> bytes;
    std::vector<unsigned char> format;  // the WAVEFORMATEX of the "fmt " chunk, cbSize set
};

// The reasons name no file; the caller's failure does. Corrupt, Unsupported, TooLarge.
Result<WaveImage> waveImageOf(std::vector<unsigned char> bytes);

}  // namespace zorvik::win32
