#include "sound/win32/wave_source.h"

#include <algorithm>

#include "platform/win32/file_queries.h"
#include "platform/win32/wide_text.h"
#include "sound/sound_failures.h"

namespace zorvik::win32 {

std::optional<std::size_t> readAt(HANDLE file, std::uint64_t offset,
                                  std::span<unsigned char> into) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const auto wanted = static_cast<DWORD>(std::min<std::size_t>(into.size(), MAXDWORD));
    if (!ReadFile(file, into.data(), wanted, &got, &at)) {
        return GetLastError() == ERROR_HANDLE_EOF ? std::optional<std::size_t>(0) : std::nullopt;
    }
    return got;
}

namespace {

Failure because(ErrorCode code, std::string_view why = {}) {
    return {code, std::string(why.empty() ? failure_text::reason(code) : why)};
}

}  // namespace

Result<WaveSource> openWaveSource(std::string_view path) {
    const auto wide = apiPath(path);
    if (!wide.ok()) {
        return because(ErrorCode::InvalidName);
    }
    Handle file(CreateFileW(wide.value().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        const auto attributes = attributesOf(wide.value());
        if (attributes && isFolder(*attributes)) {
            return because(ErrorCode::IsFolder);
        }
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
            return because(codeOfMissing(wide.value()));
        }
        return because(codeOfError(error), reasonOfError(error));
    }
    // a pipe or a device under a melody's name would keep the window waiting for its bytes
    if (GetFileType(file.get()) != FILE_TYPE_DISK) {
        return failure_text::playFault(PlayFault::NotAFile);
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        const DWORD error = GetLastError();
        return because(codeOfError(error), reasonOfError(error));
    }
    const HANDLE reading = file.get();
    auto header = readWaveHeader(static_cast<std::uint64_t>(size.QuadPart),
                                 [reading](std::uint64_t offset, std::span<unsigned char> into) {
                                     return readAt(reading, offset, into);
                                 });
    if (!header.ok()) {
        return header.failure();
    }
    return WaveSource{std::move(file), std::move(header).value()};
}

}  // namespace zorvik::win32
