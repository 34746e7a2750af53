// The steps that rename or remove on Windows: by handle with POSIX semantics where Windows has
// them, so that a file another program holds with FILE_SHARE_DELETE is still replaced at once,
// and a refusal caused by another program named as such.
#include <windows.h>

#include <aclapi.h>

#include <cstring>
#include <string>

#include "platform/failure_text.h"
#include "platform/win32/file_queries.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file_steps.h"
#include "platform/windows_path.h"

namespace zorvik::win32 {

namespace {

// Windows 10 1809 and later; MinGW's headers declare these only for newer targets than ours.
constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
constexpr DWORD kRenameReplaceIfExists = 0x00000001;  // FILE_RENAME_FLAG_REPLACE_IF_EXISTS
constexpr DWORD kRenamePosixSemantics = 0x00000002;   // FILE_RENAME_FLAG_POSIX_SEMANTICS
constexpr DWORD kReplace = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;

// FILE_RENAME_INFO with its Flags member, as the Ex class reads it.
struct RenameInformation {
    DWORD flags;  // ReplaceIfExists for the classic class, in its first byte
    HANDLE rootDirectory;
    DWORD fileNameLength;
    WCHAR fileName[1];
};

bool notAvailable(DWORD error) {
    return error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED ||
           error == ERROR_INVALID_FUNCTION || error == ERROR_CALL_NOT_IMPLEMENTED;
}

DWORD renameBy(HANDLE file, const std::wstring& destination, FILE_INFO_BY_HANDLE_CLASS kind,
               DWORD flags) {
    std::string buffer(
        offsetof(RenameInformation, fileName) + (destination.size() + 1) * sizeof(WCHAR), '\0');
    auto* info = reinterpret_cast<RenameInformation*>(buffer.data());
    info->flags = flags;
    info->rootDirectory = nullptr;
    info->fileNameLength = static_cast<DWORD>(destination.size() * sizeof(WCHAR));
    std::memcpy(info->fileName, destination.c_str(), destination.size() * sizeof(WCHAR));
    return SetFileInformationByHandle(file, kind, info, static_cast<DWORD>(buffer.size()))
               ? 0
               : GetLastError();
}

// The handle reached another file than the entry named: acting on it would change that file.
Failure linkNotActedOnItself() {
    return failure_text::because(ErrorCode::Unsupported,
                                 failure_text::Detail::LinkNotActedOnItself);
}

Result<std::wstring> wide(const std::string& path) {
    auto converted = apiPath(path);
    if (!converted.ok()) {
        return Failure{ErrorCode::InvalidName, {}};
    }
    return std::move(converted).value();
}

// What ReplaceFileW keeps of the file a copy replaces: its owner and permissions (the phone
// program's installer may have set them; a renamed file would bring the temporary's, an
// administrator's when elevated), and the attributes that say how it is shown. Where the owner
// cannot be set (another account's, without the right to restore), the permissions still are.
void keepWhatTheReplacedFileHad(HANDLE temporary, const std::wstring& destination) {
    const Handle replaced(CreateFileW(destination.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                                      nullptr));
    if (!replaced.valid()) {
        return;  // nothing there to replace, or nothing this process may read of it
    }
    FILE_BASIC_INFO had{};
    FILE_BASIC_INFO made{};
    if (GetFileInformationByHandleEx(replaced.get(), FileBasicInfo, &had, sizeof had) &&
        GetFileInformationByHandleEx(temporary, FileBasicInfo, &made, sizeof made)) {
        constexpr DWORD kShown =
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
        FILE_BASIC_INFO merged{};
        merged.FileAttributes =
            (made.FileAttributes & ~DWORD{FILE_ATTRIBUTE_NORMAL}) | (had.FileAttributes & kShown);
        if (merged.FileAttributes != made.FileAttributes && merged.FileAttributes != 0) {
            SetFileInformationByHandle(temporary, FileBasicInfo, &merged, sizeof merged);
        }
    }
    PSID owner = nullptr;
    PACL permissions = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(replaced.get(), SE_FILE_OBJECT,
                        OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                        &permissions, nullptr, &descriptor) != ERROR_SUCCESS) {
        return;
    }
    // the owner through a handle of its own, asked only now: only an administrator may give a
    // file another's, and where this process may not, the copy is still made
    const Handle owned(ReOpenFile(temporary, WRITE_OWNER,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    const SECURITY_INFORMATION inheritance = (control & SE_DACL_PROTECTED) != 0
                                                 ? PROTECTED_DACL_SECURITY_INFORMATION
                                                 : UNPROTECTED_DACL_SECURITY_INFORMATION;
    if (owned.valid()) {
        SetSecurityInfo(owned.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, owner, nullptr,
                        nullptr, nullptr);
    }
    if (permissions != nullptr) {
        SetSecurityInfo(temporary, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | inheritance, nullptr,
                        nullptr, permissions, nullptr);
    }
    LocalFree(descriptor);
}

}  // namespace

DWORD renameByHandle(HANDLE file, const std::wstring& destination) {
    const DWORD posix = renameBy(file, destination, kFileRenameInfoEx,
                                 kRenameReplaceIfExists | kRenamePosixSemantics);
    if (!notAvailable(posix)) {
        return posix;
    }
    const DWORD classic = renameBy(file, destination, FileRenameInfo, TRUE);
    return notAvailable(classic) ? ERROR_NOT_SUPPORTED : classic;
}

Failure refusalOf(DWORD error, const std::wstring& path) {
    if (error == ERROR_ACCESS_DENIED) {
        // Windows refuses a replace or a removal of an open file with "access denied"; a file
        // no handle of another program holds opens exclusively, given the rights
        const Handle probe(CreateFileW(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                       nullptr));
        if (!probe.valid() && GetLastError() == ERROR_SHARING_VIOLATION) {
            error = ERROR_SHARING_VIOLATION;
        }
    }
    return {codeOfError(error), reasonOfError(error)};
}

Status Win32FileSteps::renameIntoPlace(const std::string& temporary,
                                       const std::string& destination) {
    const auto target = wide(destination);
    if (!target.ok()) {
        return target.failure();
    }
    if (const Held* hold = held(temporary); hold != nullptr && !hold->moved) {
        keepWhatTheReplacedFileHad(hold->handle.get(), target.value());
    }
    DWORD error = renameByHandle(handleOf(temporary), target.value());
    if (error == ERROR_NOT_SUPPORTED) {
        Handle closed = release(temporary);
        closed.close();
        const auto from = wide(temporary);
        error = MoveFileExW(from.value().c_str(), target.value().c_str(), kReplace)
                    ? 0
                    : GetLastError();
        if (error != 0) {
            // no longer held: the caller removes it by name
            return refusalOf(error, target.value());
        }
        return Status::success();
    }
    if (error != 0) {
        return refusalOf(error, target.value());
    }
    release(temporary);
    return Status::success();
}

Status Win32FileSteps::moveInOneStep(const std::string& from, const std::string& to) {
    const auto source = wide(from);
    const auto target = wide(to);
    if (!source.ok() || !target.ok()) {
        return Failure{ErrorCode::InvalidName, {}};
    }
    // the entry itself, a link included
    Handle file(CreateFileW(source.value().c_str(), DELETE | FILE_READ_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING,
                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid()) {
        return refusalOf(GetLastError(), source.value());
    }
    if (reachesElsewhere(file.get(), source.value(), ownNameOf(source.value()))) {
        return linkNotActedOnItself();
    }
    DWORD error = renameByHandle(file.get(), target.value());
    if (error == ERROR_NOT_SUPPORTED) {
        file.close();
        error = MoveFileExW(source.value().c_str(), target.value().c_str(), kReplace)
                    ? 0
                    : GetLastError();
    }
    if (error == ERROR_NOT_SAME_DEVICE) {
        return Failure{ErrorCode::NotSameVolume, {}};
    }
    file.close();  // not to be taken for another program's hold below
    if (error != 0) {
        // the source may be the one held, or the destination
        Failure refused = refusalOf(error, source.value());
        return refused.code == ErrorCode::InUse ? refused : refusalOf(error, target.value());
    }
    return Status::success();
}

Result<KeptAside> Win32FileSteps::keepAside(const std::string& destination,
                                            const std::string& kept) {
    const auto target = wide(destination);
    const auto keptWide = wide(kept);
    if (!target.ok() || !keptWide.ok()) {
        return target.ok() ? keptWide.failure() : target.failure();
    }
    const std::wstring& aside = keptWide.value();
    const std::string& named = kept;
    // a hard link keeps the destination in place while it is kept aside
    if (CreateHardLinkW(aside.c_str(), target.value().c_str(), nullptr)) {
        return KeptAside{named, true};
    }
    if (!MoveFileExW(target.value().c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH)) {
        return refusalOf(GetLastError(), target.value());
    }
    return KeptAside{named, false};
}

Status Win32FileSteps::putBack(const std::string& kept, const std::string& destination) {
    const auto from = wide(kept);
    const auto target = wide(destination);
    if (!from.ok() || !target.ok()) {
        return Failure{ErrorCode::InvalidName, {}};
    }
    // the moved copy there may be read-only; it goes, the older file comes back
    const auto attributes = attributesOf(target.value());
    if (attributes && (*attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        SetFileAttributesW(target.value().c_str(), *attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    }
    if (!MoveFileExW(from.value().c_str(), target.value().c_str(), kReplace)) {
        const DWORD error = GetLastError();
        if (attributes) {
            SetFileAttributesW(target.value().c_str(), *attributes);
        }
        return refusalOf(error, target.value());
    }
    release(kept);
    return Status::success();
}

Status Win32FileSteps::removeFile(const std::string& path, bool evenReadOnly) {
    const auto file = wide(path);
    if (!file.ok()) {
        return file.failure();
    }
    // the entry itself, checked and removed through one handle: nothing can come between
    Handle entry(
        CreateFileW(file.value().c_str(), DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!entry.valid()) {
        return refusalOf(GetLastError(), file.value());
    }
    if (reachesElsewhere(entry.get(), file.value(), ownNameOf(file.value()))) {
        return linkNotActedOnItself();
    }
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(entry.get(), FileBasicInfo, &basic, sizeof basic)) {
        return failureOf(GetLastError());
    }
    if (isFolder(basic.FileAttributes)) {
        return failureOf(ERROR_ACCESS_DENIED);
    }
    // a read-only melody moves, as on Windows
    const DWORD attributes = basic.FileAttributes;
    const bool unlocked = evenReadOnly && (attributes & FILE_ATTRIBUTE_READONLY) != 0 && [&] {
        FILE_BASIC_INFO writable{};
        writable.FileAttributes = attributes & ~DWORD{FILE_ATTRIBUTE_READONLY};
        if (writable.FileAttributes == 0) {
            writable.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        }
        return SetFileInformationByHandle(entry.get(), FileBasicInfo, &writable, sizeof writable) !=
               FALSE;
    }();
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (!SetFileInformationByHandle(entry.get(), FileDispositionInfo, &disposition,
                                    sizeof disposition)) {
        const DWORD error = GetLastError();
        if (unlocked) {
            FILE_BASIC_INFO again{};
            again.FileAttributes = attributes;
            SetFileInformationByHandle(entry.get(), FileBasicInfo, &again, sizeof again);
        }
        entry.close();  // not to be taken for another program's hold
        return refusalOf(error, file.value());
    }
    return Status::success();
}

}  // namespace zorvik::win32
