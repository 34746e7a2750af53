#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "sound/player.h"

namespace zorvik::win32 {

class WaveStream;

// Plays through Windows' own codecs (waveOut through the wave mapper, which reaches every
// format the audio compression manager knows), without blocking. The header is checked first,
// through the handle the sound is then read from, and refused where a sound library could not
// take it; the sound streams from the file, a few buffers at a time.
class Win32Player final : public Player {
public:
    // Counts the sound devices through Windows, or through `deviceCount`.
    Win32Player();
    explicit Win32Player(std::function<unsigned()> deviceCount);
    ~Win32Player() override;
    Win32Player(const Win32Player&) = delete;
    Win32Player& operator=(const Win32Player&) = delete;

    void setFileName(std::string_view path) override { fileName_ = path; }
    Status sound() override;
    Status check(std::string_view path) override;
    void stop() override;
    // Whether a melody holds the sound device (and its file): until it has played or is stopped.
    bool isPlaying() const;

private:
    std::function<unsigned()> deviceCount_;
    std::string fileName_;
    std::unique_ptr<WaveStream> playing_;
};

}  // namespace zorvik::win32
