#include "sound/win32/wave_stream.h"

#include <algorithm>
#include <iterator>
#include <optional>

#include "sound/sound_failures.h"

namespace zorvik::win32 {

namespace {

// An eighth of a second a buffer keeps half a second queued ahead of what is heard: enough for
// a busy machine, little to read before the first sound.
constexpr std::uint64_t kBuffersASecond = 8;
// The largest formats (384 kHz, many channels) would otherwise want megabytes a buffer.
constexpr std::uint64_t kLargestBuffer = 1 << 20;
// How long the device may take to give back buffers it was told to drop.
constexpr int kUnprepareTries = 100;
constexpr DWORD kUnprepareWaitMs = 10;

std::size_t bufferBytes(const WaveHeader& header) {
    const std::uint64_t block = header.blockAlign;
    const std::uint64_t wanted = std::min(header.bytesPerSecond / kBuffersASecond, kLargestBuffer);
    return static_cast<std::size_t>(std::max(block, wanted - wanted % block));
}

MMRESULT openDevice(HWAVEOUT& device, const std::vector<unsigned char>& format, HANDLE wakeUp) {
    return waveOutOpen(&device, WAVE_MAPPER, reinterpret_cast<const WAVEFORMATEX*>(format.data()),
                       reinterpret_cast<DWORD_PTR>(wakeUp), 0, CALLBACK_EVENT);
}

MMRESULT queryDevice(const std::vector<unsigned char>& format) {
    return waveOutOpen(nullptr, WAVE_MAPPER, reinterpret_cast<const WAVEFORMATEX*>(format.data()),
                       0, 0, WAVE_FORMAT_QUERY);
}

// The same samples described as WAVE_FORMAT_EXTENSIBLE, which some drivers (Wine's among them)
// want for integer samples wider than 16 bits; nullopt where the format is no plain PCM or float.
std::optional<std::vector<unsigned char>> asExtensible(const std::vector<unsigned char>& format) {
    const auto tag = static_cast<unsigned>(format[0] | format[1] << 8);
    if (tag != wave_tag::kPcm && tag != wave_tag::kFloat) {
        return std::nullopt;
    }
    std::vector<unsigned char> wide(format.begin(), format.begin() + 16);
    wide[0] = wave_tag::kExtensible & 0xFF;
    wide[1] = wave_tag::kExtensible >> 8;
    wide.insert(wide.end(), {22, 0});                   // cbSize
    wide.insert(wide.end(), {format[14], format[15]});  // every bit of the container is valid
    wide.insert(wide.end(), 4, 0);                      // no speaker positions
    wide.insert(wide.end(), {format[0], format[1], 0, 0});
    wide.insert(wide.end(), kSubFormatBase.begin(), kSubFormatBase.end());
    return wide;
}

Failure openFailure(MMRESULT result) {
    switch (result) {
        case WAVERR_BADFORMAT:
            return failure_text::playFault(PlayFault::NoCodec);
        case MMSYSERR_BADDEVICEID:
        case MMSYSERR_NODRIVER:
        case MMSYSERR_NOTENABLED:
            return {ErrorCode::NoDevice, std::string(failure_text::reason(ErrorCode::NoDevice))};
        case MMSYSERR_ALLOCATED:
            return failure_text::playFault(PlayFault::DeviceBusy);
        default:
            return failure_text::playFault(PlayFault::DeviceRefused);
    }
}

}  // namespace

Result<std::unique_ptr<WaveStream>> WaveStream::start(WaveSource source) {
    Handle deviceEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    Handle stopRequest(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!deviceEvent.valid() || !stopRequest.valid()) {
        return failure_text::playFault(PlayFault::DeviceRefused);
    }
    HWAVEOUT device = nullptr;
    MMRESULT opened = openDevice(device, source.header.format, deviceEvent.get());
    if (opened == WAVERR_BADFORMAT) {
        if (const auto wide = asExtensible(source.header.format)) {
            opened = openDevice(device, *wide, deviceEvent.get());
        }
    }
    if (opened != MMSYSERR_NOERROR) {
        return openFailure(opened);
    }
    std::unique_ptr<WaveStream> stream(
        new WaveStream(std::move(source), device, std::move(deviceEvent), std::move(stopRequest)));
    stream->feeder_ = Handle(CreateThread(nullptr, 0, &feederMain, stream.get(), 0, nullptr));
    if (!stream->feeder_.valid()) {
        stream->release();
        return failure_text::playFault(PlayFault::DeviceRefused);
    }
    return stream;
}

Status WaveStream::checkFormat(const WaveHeader& header) {
    MMRESULT asked = queryDevice(header.format);
    if (asked == WAVERR_BADFORMAT) {
        if (const auto wide = asExtensible(header.format)) {
            asked = queryDevice(*wide);
        }
    }
    if (asked == WAVERR_BADFORMAT) {
        return failure_text::playFault(PlayFault::NoCodec);
    }
    return Status::success();
}

WaveStream::WaveStream(WaveSource source, HWAVEOUT device, Handle deviceEvent, Handle stopRequest)
    : source_(std::move(source)),
      device_(device),
      deviceEvent_(std::move(deviceEvent)),
      stopRequest_(std::move(stopRequest)),
      next_(source_.header.dataOffset),
      end_(source_.header.dataOffset + source_.header.dataSize) {
    const std::size_t size = bufferBytes(source_.header);
    memory_.resize(size * kBuffers);
    for (std::size_t i = 0; i < kBuffers; ++i) {
        buffers_[i].lpData = reinterpret_cast<LPSTR>(memory_.data() + i * size);
    }
}

WaveStream::~WaveStream() {
    if (feeder_.valid()) {
        SetEvent(stopRequest_.get());
        WaitForSingleObject(feeder_.get(), INFINITE);
    }
}

DWORD WINAPI WaveStream::feederMain(void* stream) {
    static_cast<WaveStream*>(stream)->feed();
    return 0;
}

void WaveStream::feed() {
    const HANDLE wakeUps[] = {stopRequest_.get(), deviceEvent_.get()};
    for (;;) {
        bool anyQueued = false;
        for (std::size_t i = 0; i < kBuffers; ++i) {
            if (!queued_[i] || (buffers_[i].dwFlags & WHDR_DONE) != 0) {
                queued_[i] = queueNext(buffers_[i]);
            }
            anyQueued = anyQueued || queued_[i];
        }
        if (!anyQueued) {
            break;  // played to its end
        }
        if (WaitForMultipleObjects(2, wakeUps, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
            break;  // cut short
        }
    }
    release();
}

bool WaveStream::queueNext(WAVEHDR& buffer) {
    if ((buffer.dwFlags & WHDR_PREPARED) != 0) {
        waveOutUnprepareHeader(device_, &buffer, sizeof buffer);
    }
    const std::size_t capacity = memory_.size() / kBuffers;
    const auto wanted = static_cast<std::size_t>(std::min<std::uint64_t>(capacity, end_ - next_));
    const auto got = wanted == 0
                         ? std::optional<std::size_t>(0)
                         : readAt(source_.file.get(), next_,
                                  {reinterpret_cast<unsigned char*>(buffer.lpData), wanted});
    // a file cut short while it plays ends at its last whole block
    const std::size_t whole = got ? *got - *got % source_.header.blockAlign : 0;
    buffer.dwBufferLength = static_cast<DWORD>(whole);
    buffer.dwFlags = 0;
    if (whole == 0 || waveOutPrepareHeader(device_, &buffer, sizeof buffer) != MMSYSERR_NOERROR) {
        end_ = next_;
        return false;
    }
    if (waveOutWrite(device_, &buffer, sizeof buffer) != MMSYSERR_NOERROR) {
        waveOutUnprepareHeader(device_, &buffer, sizeof buffer);
        end_ = next_;
        return false;
    }
    next_ += whole;
    return true;
}

void WaveStream::release() {
    waveOutReset(device_);
    for (auto& buffer : buffers_) {
        for (int tries = 0; (buffer.dwFlags & WHDR_PREPARED) != 0 && tries < kUnprepareTries;
             ++tries) {
            if (waveOutUnprepareHeader(device_, &buffer, sizeof buffer) != WAVERR_STILLPLAYING) {
                break;
            }
            Sleep(kUnprepareWaitMs);
        }
    }
    waveOutClose(device_);
    source_.file.close();
    finished_ = true;
}

}  // namespace zorvik::win32
