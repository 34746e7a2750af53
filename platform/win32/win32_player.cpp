#include "platform/win32/win32_player.h"

#include <windows.h>
// after windows.h, which it needs
#include <mmsystem.h>

#include "platform/failure_text.h"
#include "platform/win32/file_queries.h"
#include "platform/win32/wave_image.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_errors.h"

namespace zorvik::win32 {

namespace {

std::optional<unsigned>& deviceCountForTests() {
    static std::optional<unsigned> count;
    return count;
}

unsigned deviceCount() {
    return deviceCountForTests().value_or(waveOutGetNumDevs());
}

// Half an hour of CD sound; a larger file would keep the window waiting while it is read.
constexpr LONGLONG kLargestMelody = 512LL << 20;

Result<std::vector<unsigned char>> readWhole(std::string_view path) {
    const auto wide = apiPath(path);
    if (!wide.ok()) {
        return failure_text::playFailed(ErrorCode::InvalidName, path);
    }
    const Handle file(CreateFileW(wide.value().c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        const auto attributes = attributesOf(wide.value());
        if (attributes && isFolder(*attributes)) {
            return failure_text::playFailed(ErrorCode::IsFolder, path);
        }
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return failure_text::playFailed(codeOfMissing(wide.value()), path);
        }
        return failure_text::playFailed(codeOfError(error), path, reasonOfError(error));
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        const DWORD error = GetLastError();
        return failure_text::playFailed(codeOfError(error), path, reasonOfError(error));
    }
    if (size.QuadPart > kLargestMelody) {
        return failure_text::playFailed(ErrorCode::TooLarge, path);
    }
    std::vector<unsigned char> bytes(static_cast<std::size_t>(size.QuadPart));
    std::size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done),
                      &got, nullptr)) {
            const DWORD error = GetLastError();
            return failure_text::playFailed(codeOfError(error), path, reasonOfError(error));
        }
        if (got == 0) {
            bytes.resize(done);  // cut short while it was read
            break;
        }
        done += got;
    }
    return bytes;
}

// Whether the wave mapper, with every codec installed, can play this format on a device.
Status checkPlayable(std::string_view path, std::vector<unsigned char>& format) {
    const MMRESULT result =
        waveOutOpen(nullptr, WAVE_MAPPER, reinterpret_cast<WAVEFORMATEX*>(format.data()), 0, 0,
                    WAVE_FORMAT_QUERY);
    switch (result) {
        case MMSYSERR_NOERROR:
            return Status::success();
        case WAVERR_BADFORMAT:
            return failure_text::playFailed(ErrorCode::Unsupported, path,
                                            "Windows няма кодек за този вид WAV");
        case MMSYSERR_BADDEVICEID:
        case MMSYSERR_NODRIVER:
        case MMSYSERR_NOTENABLED:
            return failure_text::playFailed(ErrorCode::NoDevice, path);
        case MMSYSERR_ALLOCATED:
            return failure_text::playFailed(ErrorCode::NotAvailable, path,
                                            "звуковото устройство е заето");
        default:
            return failure_text::playFailed(ErrorCode::Other, path,
                                            "грешка на звука " + std::to_string(result));
    }
}

}  // namespace

void Win32Player::setDeviceCountForTests(std::optional<unsigned> count) {
    deviceCountForTests() = count;
}

Win32Player::~Win32Player() {
    stop();
}

Status Win32Player::sound() {
    stop();
    if (deviceCount() == 0) {
        return failure_text::playFailed(ErrorCode::NoDevice, fileName_);
    }
    auto bytes = readWhole(fileName_);
    if (!bytes.ok()) {
        return bytes.failure();
    }
    auto image = waveImageOf(std::move(bytes).value());
    if (!image.ok()) {
        return failure_text::playFailed(image.failure().code, fileName_, image.failure().message);
    }
    WaveImage wave = std::move(image).value();
    if (Status playable = checkPlayable(fileName_, wave.format); !playable.ok()) {
        return playable;
    }
    playing_ = std::move(wave.bytes);
    if (!PlaySoundW(reinterpret_cast<LPCWSTR>(playing_.data()), nullptr,
                    SND_ASYNC | SND_MEMORY | SND_NODEFAULT)) {
        playing_ = {};
        return failure_text::playFailed(ErrorCode::Other, fileName_,
                                        "Windows не може да изсвири файла");
    }
    return Status::success();
}

void Win32Player::stop() {
    if (playing_.empty()) {
        return;
    }
    // Returns once the sound has stopped: only then may its memory go.
    PlaySoundW(nullptr, nullptr, 0);
    playing_ = {};
}

}  // namespace zorvik::win32
