// The steps that rename or remove on Windows: by handle with POSIX semantics where Windows has
// them, so that a file another program holds with FILE_SHARE_DELETE is still replaced at once,
// and a refusal caused by another program named as such.
#include <cstring>
#include <string>

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

Result<std::wstring> wide(const std::string& path) {
    auto converted = apiPath(path);
    if (!converted.ok()) {
        return Failure{ErrorCode::InvalidName, {}};
    }
    return std::move(converted).value();
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
    // a read-only melody moves, as on Windows
    const auto attributes = evenReadOnly ? attributesOf(file.value()) : std::nullopt;
    const bool unlocked =
        attributes && (*attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
        SetFileAttributesW(file.value().c_str(), *attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    if (!DeleteFileW(file.value().c_str())) {
        const DWORD error = GetLastError();
        if (unlocked) {
            SetFileAttributesW(file.value().c_str(), *attributes);
        }
        return refusalOf(error, file.value());
    }
    return Status::success();
}

}  // namespace zorvik::win32
