#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "platform/status.h"
#include "platform/win32/win32_errors.h"
#include "sound/wave_header.h"

namespace zorvik::win32 {

// A melody opened to be played: a file on disk whose header was checked through the handle
// that the sound is then read from. The handle lets others read, rename and delete the file,
// but not write to it, so the bytes played are the bytes checked.
struct WaveSource {
    Handle file;
    WaveHeader header;
};

// The failure's message is a reason only: the player names the file.
Result<WaveSource> openWaveSource(std::string_view path);

// Reads at `offset` without moving anything another reader relies on; fewer bytes only at the
// end of the file, nullopt when reading failed.
std::optional<std::size_t> readAt(HANDLE file, std::uint64_t offset, std::span<unsigned char> into);

}  // namespace zorvik::win32
