#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "platform/failure_text.h"
#include "platform/status.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/win32_file_system.h"

// The parts of a copy or a move, shared by the two.
namespace zorvik::win32 {

inline constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

// A temporary name of this program's in a melody folder: never "*.wav" (nor its short name),
// so no list shows it.
std::wstring temporaryName(const std::wstring& folder);

// Deletes a file, read-only or not.
bool removeFile(const std::wstring& path);

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

    using Temporary = TemporaryFile;

    // Every check that can be made before anything is written.
    Status check();

    // The whole source, flushed to disk, in a temporary file beside the destination.
    Result<TemporaryFile> writeTemporary();

    // MoveFileExW over the destination, with the test hook before it; 0 or the error.
    DWORD renameIntoPlace(const std::wstring& from) const;

    // The destination may have become read-only while a prepared copy waited; Wine would
    // replace it regardless.
    Status recheckDestination() const;

    // A prepared copy into the destination's place, checked once more first.
    Status putInPlace(const std::wstring& temporary) const;

    // One rename when both lie on one volume; across volumes, a copy.
    Status move();

private:
    Status openSource();
    Status checkDestinationFolder() const;
    Status checkDestination(const std::wstring& destination);

    // The copy waits under a temporary name, the old destination is kept aside, and the source
    // goes last; a failure at any step puts back what was there.
    Status moveAcrossVolumes();

    // The source could not be removed: the destination gets back what it held.
    Status undoAcrossVolumes(std::optional<TemporaryFile>& kept, DWORD removeError);

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

}  // namespace zorvik::win32
