// Copies and moves: the destination changes in one MoveFileExW, and a move either completes or
// leaves both folders as they were.
#include <windows.h>

#include <atomic>
#include <optional>
#include <vector>

#include "platform/failure_text.h"
#include "platform/win32/file_queries.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file_system.h"
#include "platform/windows_path.h"

namespace zorvik::win32 {

namespace {

constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
// What a moved file keeps of its attributes; the rest belongs to where it lies.
constexpr DWORD kMovedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                   FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                   FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool sameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

// A temporary name of this program's in a melody folder: never "*.wav" (nor its short name),
// so no list shows it.
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

// Removes a temporary file unless it was handed on, closing it first: Windows deletes no file
// that is still open.
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(std::wstring path, Handle handle)
        : path_(std::move(path)), handle_(std::move(handle)) {}
    TemporaryFile(TemporaryFile&& other) noexcept
        : path_(std::exchange(other.path_, {})), handle_(std::move(other.handle_)) {}
    TemporaryFile& operator=(TemporaryFile&&) = delete;
    ~TemporaryFile() {
        handle_.close();
        if (!path_.empty()) {
            removeFile(path_);
        }
    }
    const std::wstring& path() const { return path_; }
    HANDLE handle() const { return handle_.get(); }
    void close() { handle_.close(); }
    void keep() { path_.clear(); }

private:
    std::wstring path_;
    Handle handle_;
};

}  // namespace

// One copy or move: both paths checked, the messages that name them, and the steps on Windows.
class Transfer {
public:
    Transfer(const Win32FileSystem& files, std::string_view source, std::string_view destination,
             bool isMove)
        : files_(files), source_(source), destination_(destination), isMove_(isMove) {}

    Failure fail(ErrorCode code, std::string_view why = {}) const {
        return isMove_ ? failure_text::moveFailed(code, source_, destination_, why)
                       : failure_text::copyFailed(code, source_, destination_, why);
    }
    Failure failWithError(DWORD error) const {
        return fail(codeOfError(error), reasonOfError(error));
    }

    // Every check that can be made before anything is written.
    Status check() {
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

    // The whole source, flushed to disk, in a temporary file beside the destination.
    Result<TemporaryFile> writeTemporary() {
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
            if (!ReadFile(in_.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got,
                          nullptr)) {
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

    // MoveFileExW over the destination, with the test hook before it; 0 or the error.
    DWORD renameIntoPlace(const std::wstring& from) const {
        if (const DWORD fault = files_.injectedFault(TransferStep::RenameIntoPlace); fault != 0) {
            return fault;
        }
        return MoveFileExW(from.c_str(), destinationWide_.c_str(), kReplace) ? 0 : GetLastError();
    }

    // The destination may have become read-only while a prepared copy waited; Wine would
    // replace it regardless.
    Status recheckDestination() const {
        const auto attributes = attributesOf(destinationWide_);
        if (attributes && (*attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            return fail(ErrorCode::ReadOnly, "целта е файл само за четене");
        }
        return Status::success();
    }

    // One rename when both lie on one volume; across volumes, a copy.
    Status move() {
        DWORD error = files_.injectedFault(TransferStep::MoveSameVolume);
        if (error == 0 && !MoveFileExW(sourceWide_.c_str(), destinationWide_.c_str(), kReplace)) {
            error = GetLastError();
        }
        if (error == ERROR_NOT_SAME_DEVICE) {
            return moveAcrossVolumes();
        }
        return error == 0 ? Status::success() : Status(failWithError(error));
    }

private:
    Status openSource() {
        // No other program may write the melody while it is copied; renaming it is harmless.
        in_ = Handle(CreateFileW(sourceWide_.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
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
                    return fail(ErrorCode::FolderNotFound,
                                "папката на изходния файл не съществува");
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

    Status checkDestinationFolder() const {
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

    Status checkDestination(const std::wstring& destination) {
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

    // The copy waits under a temporary name, the old destination is kept aside, and the source
    // goes last; a failure at any step puts back what was there.
    Status moveAcrossVolumes() {
        auto written = writeTemporary();
        if (!written.ok()) {
            return written.failure();
        }
        TemporaryFile temporary = std::move(written).value();
        std::optional<TemporaryFile> kept;
        bool keptByRename = false;
        if (destinationExists_) {
            if (const DWORD fault = files_.injectedFault(TransferStep::SetOldDestinationAside);
                fault != 0) {
                return failWithError(fault);
            }
            const std::wstring aside = temporaryName(destinationFolder_);
            // a hard link keeps the destination in place while it is kept aside
            if (!CreateHardLinkW(aside.c_str(), destinationWide_.c_str(), nullptr)) {
                if (!MoveFileExW(destinationWide_.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) {
                    return failWithError(GetLastError());
                }
                keptByRename = true;
            }
            kept.emplace(aside, Handle());
        }
        if (const DWORD error = renameIntoPlace(temporary.path()); error != 0) {
            if (keptByRename) {
                // never removed, even when it cannot go back: it is the only copy left
                const std::wstring aside = kept->path();
                kept->keep();
                if (!MoveFileExW(aside.c_str(), destinationWide_.c_str(), kReplace)) {
                    Failure failure = failWithError(error);
                    failure.message = "Файлът " + failure_text::quoted(destination_) +
                                      " не може да бъде заменен (" + reasonOfError(error) +
                                      "), а предишното му съдържание остана във файла " +
                                      failure_text::quoted(toUtf8Lossy(aside)) + ".";
                    return failure;
                }
            }
            return failWithError(error);
        }
        temporary.keep();
        DWORD removeError = files_.injectedFault(TransferStep::RemoveSource);
        if (removeError == 0) {
            // a read-only melody moves, as on Windows
            SetFileAttributesW(sourceWide_.c_str(),
                               sourceInfo_.dwFileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
            if (!DeleteFileW(sourceWide_.c_str())) {
                removeError = GetLastError();
                SetFileAttributesW(sourceWide_.c_str(), sourceInfo_.dwFileAttributes);
            }
        }
        if (removeError == 0) {
            return Status::success();
        }
        return undoAcrossVolumes(kept, removeError);
    }

    // The source could not be removed: the destination gets back what it held.
    Status undoAcrossVolumes(std::optional<TemporaryFile>& kept, DWORD removeError) {
        SetFileAttributesW(destinationWide_.c_str(), FILE_ATTRIBUTE_NORMAL);
        const bool restored =
            kept ? MoveFileExW(kept->path().c_str(), destinationWide_.c_str(), kReplace) != 0
                 : DeleteFileW(destinationWide_.c_str()) != 0;
        if (kept) {
            // put back, or else the only copy of what the destination held: never removed
            kept->keep();
        }
        if (!restored) {
            Failure failure = failWithError(removeError);
            failure.message = "Файлът " + failure_text::quoted(source_) +
                              " не може да бъде премахнат (" + reasonOfError(removeError) +
                              "), а предишното съдържание на " +
                              failure_text::quoted(destination_) +
                              " не може да бъде върнато: сега мелодията е и в двете папки.";
            return failure;
        }
        return failWithError(removeError);
    }

    const Win32FileSystem& files_;
    std::string source_;
    std::string destination_;
    bool isMove_;
    std::wstring sourceWide_;
    std::wstring destinationWide_;  // the existing file's own name when there is one
    std::wstring destinationFolder_;
    Handle in_;
    BY_HANDLE_FILE_INFORMATION sourceInfo_{};
    bool destinationExists_ = false;
};

namespace {

class Win32PreparedCopy final : public PreparedCopy {
public:
    Win32PreparedCopy(Transfer transfer, TemporaryFile temporary)
        : transfer_(std::move(transfer)), temporary_(std::move(temporary)) {}

    Status commit() override {
        if (temporary_.path().empty()) {
            return transfer_.fail(ErrorCode::Other, "копието вече е на мястото си");
        }
        if (Status writable = transfer_.recheckDestination(); !writable.ok()) {
            return writable;
        }
        if (const DWORD error = transfer_.renameIntoPlace(temporary_.path()); error != 0) {
            return transfer_.failWithError(error);
        }
        temporary_.keep();
        return Status::success();
    }

private:
    Transfer transfer_;
    TemporaryFile temporary_;
};

}  // namespace

Result<std::unique_ptr<PreparedCopy>> Win32FileSystem::prepareCopy(std::string_view source,
                                                                   std::string_view destination) {
    Transfer transfer(*this, source, destination, false);
    if (Status checked = transfer.check(); !checked.ok()) {
        return checked.failure();
    }
    auto temporary = transfer.writeTemporary();
    if (!temporary.ok()) {
        return temporary.failure();
    }
    return std::unique_ptr<PreparedCopy>(
        std::make_unique<Win32PreparedCopy>(std::move(transfer), std::move(temporary).value()));
}

Status Win32FileSystem::moveFile(std::string_view source, std::string_view destination) {
    Transfer transfer(*this, source, destination, true);
    if (Status checked = transfer.check(); !checked.ok()) {
        return checked;
    }
    return transfer.move();
}

}  // namespace zorvik::win32
