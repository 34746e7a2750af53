// Copies: every check first, then the whole copy to a temporary file beside the destination,
// which goes in place in one MoveFileExW.
#include "platform/win32/file_transfer.h"

#include <atomic>
#include <vector>

#include "platform/failure_text.h"
#include "platform/prepared_copy.h"
#include "platform/win32/file_queries.h"
#include "platform/win32/wide_text.h"
#include "platform/windows_path.h"

namespace zorvik::win32 {

namespace {

// What a moved file keeps of its attributes; the rest belongs to where it lies.
constexpr DWORD kMovedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                   FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                   FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool sameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace

std::wstring temporaryName(const std::wstring& folder) {
    static std::atomic<unsigned> counter{0};
    const unsigned long long seed = (GetTickCount64() << 20) ^
                                    (static_cast<unsigned long long>(GetCurrentProcessId()) << 8) ^
                                    counter.fetch_add(1);
    std::wstring name = folder;
    if (name.back() != L'\\') {
        name += L'\\';
    }
    name += L".zorvik-copy-";
    for (int shift = 44; shift >= 0; shift -= 4) {
        name += L"0123456789abcdef"[(seed >> shift) & 0xF];
    }
    return name + L".tmp";
}

bool removeFile(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileW(path.c_str()) != 0;
}

Status Transfer::check() {
    if (winpath::endsWithSeparator(source_)) {
        return fail(ErrorCode::IsFolder, "изходният файл е папка");
    }
    const auto source = apiPath(source_);
    const auto destination = apiPath(destination_);
    if (!source.ok() || !destination.ok()) {
        return fail(ErrorCode::InvalidName);
    }
    if (winpath::endsWithSeparator(destination_)) {
        return fail(ErrorCode::IsFolder, "целта е папка");
    }
    sourceWide_ = source.value();
    destinationFolder_ = folderOf(destination.value());
    if (Status opened = openSource(); !opened.ok()) {
        return opened;
    }
    if (Status folder = checkDestinationFolder(); !folder.ok()) {
        return folder;
    }
    return checkDestination(destination.value());
}

Result<TemporaryFile> Transfer::writeTemporary() {
    std::optional<TemporaryFile> temporary;
    for (int attempt = 0; attempt < 100 && !temporary; ++attempt) {
        std::wstring path = temporaryName(destinationFolder_);
        Handle out(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (out.valid()) {
            temporary.emplace(std::move(path), std::move(out));
        } else if (GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    if (!temporary) {
        return failWithError(GetLastError());
    }
    if (const DWORD fault = files_.injectedFault(TransferStep::WriteTemporary); fault != 0) {
        return failWithError(fault);
    }
    if (SetFilePointer(in_.get(), 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
        return failWithError(GetLastError());
    }
    std::vector<char> buffer(1 << 20);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in_.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
            return failWithError(GetLastError());
        }
        if (got == 0) {
            break;
        }
        DWORD written = 0;
        if (!WriteFile(temporary->handle(), buffer.data(), got, &written, nullptr) ||
            written != got) {
            return failWithError(GetLastError());
        }
    }
    // the copy keeps the melody's time, as Windows' own copy does
    SetFileTime(temporary->handle(), nullptr, nullptr, &sourceInfo_.ftLastWriteTime);
    if (!FlushFileBuffers(temporary->handle())) {
        return failWithError(GetLastError());
    }
    temporary->close();
    in_.close();
    if (isMove_) {
        // A copy is a new file and never read-only; a moved file stays what it was.
        SetFileAttributesW(temporary->path().c_str(),
                           sourceInfo_.dwFileAttributes & kMovedAttributes);
    }
    return std::move(*temporary);
}

DWORD Transfer::renameIntoPlace(const std::wstring& from) const {
    if (const DWORD fault = files_.injectedFault(TransferStep::RenameIntoPlace); fault != 0) {
        return fault;
    }
    return MoveFileExW(from.c_str(), destinationWide_.c_str(), kReplace) ? 0 : GetLastError();
}

Status Transfer::recheckDestination() const {
    const auto attributes = attributesOf(destinationWide_);
    if (attributes && (*attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return fail(ErrorCode::ReadOnly, "целта е файл само за четене");
    }
    return Status::success();
}

Status Transfer::openSource() {
    // No other program may write the melody while it is copied; renaming it is harmless.
    in_ = Handle(CreateFileW(sourceWide_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!in_.valid()) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
            error != ERROR_DIRECTORY) {
            return failWithError(error);
        }
        switch (codeOfMissing(sourceWide_)) {
            case ErrorCode::NotFound:
                return fail(ErrorCode::NotFound, "изходният файл не съществува");
            case ErrorCode::NotAFolder:
                return fail(ErrorCode::NotAFolder, "част от пътя на изходния файл е файл");
            default:
                return fail(ErrorCode::FolderNotFound, "папката на изходния файл не съществува");
        }
    }
    if (!GetFileInformationByHandle(in_.get(), &sourceInfo_)) {
        return failWithError(GetLastError());
    }
    if (isFolder(sourceInfo_.dwFileAttributes)) {
        return fail(ErrorCode::IsFolder, "изходният файл е папка");
    }
    return Status::success();
}

Status Transfer::checkDestinationFolder() const {
    const auto attributes = attributesOf(destinationFolder_);
    if (!attributes) {
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND &&
            error != ERROR_DIRECTORY) {
            return failWithError(error);
        }
        if (codeOfMissing(destinationFolder_) == ErrorCode::NotAFolder) {
            return fail(ErrorCode::NotAFolder, "част от пътя на целта е файл");
        }
        return fail(ErrorCode::FolderNotFound, "папката на целта не съществува");
    }
    if (!isFolder(*attributes)) {
        return fail(ErrorCode::NotAFolder, "папката на целта е файл");
    }
    return Status::success();
}

Status Transfer::checkDestination(const std::wstring& destination) {
    destinationWide_ = destination;
    const Handle existing = openForQuery(destination);
    if (!existing.valid()) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? Status::success() : failWithError(error);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(existing.get(), &info)) {
        return failWithError(GetLastError());
    }
    destinationExists_ = true;
    if (isFolder(info.dwFileAttributes)) {
        return fail(ErrorCode::IsFolder, "целта е папка");
    }
    // hard links and case variants included
    if (sameFile(info, sourceInfo_)) {
        return fail(ErrorCode::SameFile);
    }
    // as on Windows, a read-only file is neither overwritten nor replaced
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return fail(ErrorCode::ReadOnly, "целта е файл само за четене");
    }
    // A file of that name in another case is replaced under its own name, as when it is
    // opened and overwritten.
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileExW(destination.c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        std::wstring named = destinationFolder_;
        if (named.back() != L'\\') {
            named += L'\\';
        }
        destinationWide_ = named + found.cFileName;
    }
    return Status::success();
}

Status Transfer::putInPlace(const std::wstring& temporary) const {
    if (Status writable = recheckDestination(); !writable.ok()) {
        return writable;
    }
    if (const DWORD error = renameIntoPlace(temporary); error != 0) {
        return failWithError(error);
    }
    return Status::success();
}

Result<std::unique_ptr<PreparedCopy>> Win32FileSystem::prepareCopy(std::string_view source,
                                                                   std::string_view destination) {
    return prepareCopyWith(Transfer(*this, source, destination, false));
}

}  // namespace zorvik::win32
