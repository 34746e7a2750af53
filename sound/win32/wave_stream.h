#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <mmsystem.h>

#include <array>
#include <atomic>
#include <memory>
#include <vector>

#include "platform/status.h"
#include "sound/win32/wave_source.h"

namespace zorvik::win32 {

// One melody on its way to the sound device through the wave mapper (and so through every
// codec Windows has), read from its file a few blocks ahead of what is heard: memory stays a
// few buffers whatever the file's size, and the window never waits for the file to be read.
// Once the melody has played, the device and the file are let go at once.
class WaveStream {
public:
    // Opens the device for the source's format and starts. The failure's message is a reason
    // only; the player names the file.
    static Result<std::unique_ptr<WaveStream>> start(WaveSource source);
    // Whether Windows has a codec for the format, asked of the wave mapper without opening a
    // device: only a format no codec takes fails (NoCodec); a missing or busy device says
    // nothing of the file.
    static Status checkFormat(const WaveHeader& header);
    // Cuts the melody short; returns once the device and the file are let go.
    ~WaveStream();
    WaveStream(const WaveStream&) = delete;
    WaveStream& operator=(const WaveStream&) = delete;

    // Whether the melody still holds the device: false once it has played to its end.
    bool playing() const { return !finished_; }

private:
    static constexpr std::size_t kBuffers = 4;

    WaveStream(WaveSource source, HWAVEOUT device, Handle deviceEvent, Handle stopRequest);
    // On the feeder's thread, until the melody has played or a stop is asked for.
    void feed();
    static DWORD WINAPI feederMain(void* stream);
    // Reads the next whole blocks into a free buffer and queues it; false when none are left.
    bool queueNext(WAVEHDR& buffer);
    void release();

    WaveSource source_;
    HWAVEOUT device_;
    Handle deviceEvent_;  // set by the device as each buffer has played
    Handle stopRequest_;
    std::uint64_t next_ = 0;  // where the sound still to be queued starts in the file
    std::uint64_t end_ = 0;
    std::vector<unsigned char> memory_;
    std::array<WAVEHDR, kBuffers> buffers_{};
    std::array<bool, kBuffers> queued_{};
    std::atomic<bool> finished_ = false;
    Handle feeder_;
};

}  // namespace zorvik::win32
