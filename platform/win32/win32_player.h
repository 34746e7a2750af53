#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/player.h"

namespace zorvik::win32 {

// Plays through Windows' own codecs (PlaySoundW, which reaches every format the audio compression
// manager knows), without blocking. The melody is read and checked first, since PlaySoundW with
// SND_ASYNC reports success even for a file it cannot play or with no sound device; it then
// plays from memory, so that no file stays open while it sounds (the user may delete or move it)
// and a path of any length plays.
class Win32Player final : public Player {
public:
    Win32Player() = default;
    ~Win32Player() override;
    Win32Player(const Win32Player&) = delete;
    Win32Player& operator=(const Win32Player&) = delete;

    void setFileName(std::string_view path) override { fileName_ = path; }
    Status sound() override;
    void stop() override;

    // Test hook: the number of sound devices, in place of what Windows reports.
    static void setDeviceCountForTests(std::optional<unsigned> count);

private:
    std::string fileName_;
    // What PlaySoundW plays from: kept until the sound has been stopped.
    std::vector<unsigned char> playing_;
};

}  // namespace zorvik::win32
