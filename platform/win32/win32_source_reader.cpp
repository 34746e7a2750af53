// The source of a copy on Windows: read through links; a sparse file's holes asked of the file
// system, so that only a sparse source gives a sparse copy.
#include <windows.h>
#include <winioctl.h>

#include "platform/win32/file_queries.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file_steps.h"
#include "texts/failure_text.h"

namespace zorvik::win32 {

namespace {

using failure_text::because;
using failure_text::Detail;

std::uint64_t asNumber(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

class Win32SourceReader final : public SourceReader {
public:
    Win32SourceReader(Handle file, const BY_HANDLE_FILE_INFORMATION& info)
        : file_(std::move(file)),
          asksHoles_((info.dwFileAttributes & FILE_ATTRIBUTE_SPARSE_FILE) != 0) {
        facts_.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
        facts_.modified = asNumber(info.ftLastWriteTime);
        facts_.accessed = asNumber(info.ftLastAccessTime);
        facts_.attributes = info.dwFileAttributes;
        facts_.readOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
        facts_.identity = {
            info.dwVolumeSerialNumber,
            (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    }

    const ContentFacts& facts() const override { return facts_; }

    Result<Extent> extentAt(std::uint64_t offset) override {
        const Extent rest{offset, facts_.size - offset, false};
        if (!asksHoles_) {
            return rest;
        }
        FILE_ALLOCATED_RANGE_BUFFER wanted{};
        wanted.FileOffset.QuadPart = static_cast<LONGLONG>(offset);
        wanted.Length.QuadPart = static_cast<LONGLONG>(facts_.size - offset);
        FILE_ALLOCATED_RANGE_BUFFER first{};
        DWORD got = 0;
        // one range is enough: more only says ERROR_MORE_DATA
        if (!DeviceIoControl(file_.get(), FSCTL_QUERY_ALLOCATED_RANGES, &wanted, sizeof wanted,
                             &first, sizeof first, &got, nullptr) &&
            GetLastError() != ERROR_MORE_DATA) {
            asksHoles_ = false;  // a file system that cannot tell: every byte is data
            return rest;
        }
        if (got < sizeof first) {
            return Extent{offset, facts_.size - offset, true};
        }
        const auto start = static_cast<std::uint64_t>(first.FileOffset.QuadPart);
        if (start > offset) {
            return Extent{offset, start - offset, true};
        }
        const auto end = start + static_cast<std::uint64_t>(first.Length.QuadPart);
        return Extent{offset, end - offset, false};
    }

    Result<std::size_t> read(std::uint64_t offset, std::span<char> into) override {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        if (!ReadFile(file_.get(), into.data(), static_cast<DWORD>(into.size()), &got, &at)) {
            const DWORD error = GetLastError();
            if (error == ERROR_HANDLE_EOF) {
                return std::size_t{0};
            }
            return failureOf(error);
        }
        return static_cast<std::size_t>(got);
    }

private:
    Handle file_;
    ContentFacts facts_;
    bool asksHoles_;
};

}  // namespace

Result<std::unique_ptr<SourceReader>> openSourceReader(const std::string& path) {
    const auto wide = apiPath(path);
    if (!wide.ok()) {
        return Failure{ErrorCode::InvalidName, {}};
    }
    // No other program may write the melody while it is copied; renaming it is harmless.
    Handle file(CreateFileW(wide.value().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
            error != ERROR_DIRECTORY) {
            return failureOf(error);
        }
        switch (codeOfMissing(wide.value())) {
            case ErrorCode::NotFound:
                return because(ErrorCode::NotFound, Detail::SourceMissing);
            case ErrorCode::NotAFolder:
                return because(ErrorCode::NotAFolder, Detail::SourcePathThroughFile);
            default:
                return because(ErrorCode::FolderNotFound, Detail::SourceFolderMissing);
        }
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info)) {
        const DWORD error = GetLastError();
        return failureOf(error);
    }
    if (isFolder(info.dwFileAttributes)) {
        return because(ErrorCode::IsFolder, Detail::SourceIsFolder);
    }
    return std::unique_ptr<SourceReader>(
        std::make_unique<Win32SourceReader>(std::move(file), info));
}

}  // namespace zorvik::win32
