// The steps that rename or remove on Windows: by handle with POSIX semantics where Windows has
// them, so that a file another program holds with FILE_SHARE_DELETE is still replaced at once,
// and a refusal caused by another program named as such.
#include <windows.h>

#include <aclapi.h>

#include <string>

#include "platform/win32/file_queries.h"
#include "platform/win32/native_files.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file_steps.h"
#include "platform/windows_path.h"
#include "texts/failure_text.h"

namespace zorvik::win32 {

namespace {

// Windows 10 1809 and later; MinGW's headers declare these only for newer targets than ours.
constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
constexpr DWORD kRenameReplaceIfExists = 0x00000001;  // FILE_RENAME_FLAG_REPLACE_IF_EXISTS
constexpr DWORD kRenamePosixSemantics = 0x00000002;   // FILE_RENAME_FLAG_POSIX_SEMANTICS

bool notAvailable(DWORD error) {
    return error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED ||
           error == ERROR_INVALID_FUNCTION || error == ERROR_CALL_NOT_IMPLEMENTED;
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
void keepWhatTheReplacedFileHad(HANDLE temporary, const Handle& replaced) {
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

Result<Handle> Win32FileSteps::openEntry(const std::wstring& path, DWORD access,
                                         DWORD share) const {
    const auto place = placeOf(path);
    Handle entry =
        place ? openNatively(place->place, place->name, access | FILE_READ_ATTRIBUTES, share, false)
              : Handle();
    if (!entry.valid()) {
        return refusalOf(place ? GetLastError() : ERROR_ACCESS_DENIED, path);
    }
    if (isLinkItself(entry.get()) || reachesElsewhere(entry.get(), path, ownNameOf(path))) {
        return linkNotActedOnItself();
    }
    return entry;
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

void Win32FileSteps::renameOnlyInto(std::vector<Place> places) {
    places_ = std::move(places);
}

std::optional<Win32FileSteps::NameInPlace> Win32FileSteps::placeOf(const std::wstring& path) const {
    if (places_.empty()) {
        return NameInPlace{nullptr, nativePath(path)};
    }
    const std::wstring folder = folderOf(path);
    for (const Place& place : places_) {
        if (!folder.empty() && samePath(folder, place.folder)) {
            return NameInPlace{place.handle,
                               path.substr(folder.size() + (folder.back() == L'\\' ? 0 : 1))};
        }
    }
    return std::nullopt;
}

DWORD Win32FileSteps::rename(HANDLE file, const std::wstring& destination, bool replace) {
    const auto place = placeOf(destination);
    if (!place) {
        return ERROR_ACCESS_DENIED;
    }
    // within a place relative to its handle, else through the documented call
    const auto renamed = [&](NativeNaming kind, DWORD flags) -> DWORD {
        if (place->place != nullptr) {
            return nameNatively(file, kind, place->place, place->name, flags);
        }
        std::string info = nameInformation(destination, flags);
        return SetFileInformationByHandle(
                   file, kind == NativeNaming::RenameEx ? kFileRenameInfoEx : FileRenameInfo,
                   info.data(), static_cast<DWORD>(info.size()))
                   ? 0
                   : GetLastError();
    };
    const DWORD posix = renamed(NativeNaming::RenameEx,
                                (replace ? kRenameReplaceIfExists : 0) | kRenamePosixSemantics);
    return notAvailable(posix) ? renamed(NativeNaming::Rename, replace ? TRUE : FALSE) : posix;
}

DWORD Win32FileSteps::link(HANDLE file, const std::wstring& name) {
    const auto place = placeOf(name);
    return place ? nameNatively(file, NativeNaming::Link, place->place, place->name, FALSE)
                 : ERROR_ACCESS_DENIED;
}

Status Win32FileSteps::renameIntoPlace(const std::string& temporary,
                                       const std::string& destination) {
    const auto target = wide(destination);
    if (!target.ok()) {
        return target.failure();
    }
    if (const Held* hold = held(temporary); hold != nullptr && !hold->moved) {
        // where nothing is there to replace, nothing may be read of it, or it is a link, the
        // copy keeps its own
        if (const auto replaced = openEntry(target.value(), READ_CONTROL); replaced.ok()) {
            keepWhatTheReplacedFileHad(hold->handle.get(), replaced.value());
        }
    }
    // over the entry itself: a link there is replaced, never what it points to
    if (const DWORD error = rename(handleOf(temporary), target.value()); error != 0) {
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
    auto opened = openEntry(source.value(), DELETE);
    if (!opened.ok()) {
        return opened.failure();
    }
    Handle file = std::move(opened).value();
    const DWORD error = rename(file.get(), target.value());
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

bool Win32FileSteps::isKeptAsMade(const std::string& kept, HANDLE file) {
    const std::lock_guard lock(heldMutex_);
    const auto found = keptAside_.find(kept);
    return found == keptAside_.end() || identityOf(file) == found->second;
}

Result<KeptAside> Win32FileSteps::keepAside(const std::string& destination,
                                            const std::string& kept) {
    const auto target = wide(destination);
    const auto aside = wide(kept);
    if (!target.ok() || !aside.ok()) {
        return target.ok() ? aside.failure() : target.failure();
    }
    auto opened = openEntry(target.value(), DELETE | FILE_WRITE_ATTRIBUTES);
    if (!opened.ok()) {
        return opened.failure();
    }
    Handle file = std::move(opened).value();
    const auto identity = identityOf(file.get());
    if (!identity) {
        return failureOf(GetLastError());
    }
    // a second name keeps the destination in place while it is kept aside; where the file
    // system has none, the destination itself steps aside
    const bool linked = link(file.get(), aside.value()) == 0;
    if (!linked) {
        if (const DWORD error = rename(file.get(), aside.value(), false); error != 0) {
            file.close();
            return refusalOf(error, target.value());
        }
    }
    const std::lock_guard lock(heldMutex_);
    keptAside_[kept] = *identity;
    return KeptAside{kept, linked};
}

Status Win32FileSteps::putBack(const std::string& kept, const std::string& destination) {
    const auto from = wide(kept);
    const auto target = wide(destination);
    if (!from.ok() || !target.ok()) {
        return Failure{ErrorCode::InvalidName, {}};
    }
    auto opened = openEntry(from.value(), DELETE);
    if (!opened.ok()) {
        return opened.failure();
    }
    Handle file = std::move(opened).value();
    if (!isKeptAsMade(kept, file.get())) {
        return failure_text::because(ErrorCode::Unsupported,
                                     failure_text::Detail::KeptAsideReplaced);
    }
    // the moved copy there may be read-only; it goes, the older file comes back
    DWORD readOnly = 0;  // what the copy there had, where it was made writable
    if (auto there = openEntry(target.value(), FILE_WRITE_ATTRIBUTES); there.ok()) {
        FILE_BASIC_INFO had{};
        if (GetFileInformationByHandleEx(there.value().get(), FileBasicInfo, &had, sizeof had) &&
            (had.FileAttributes & FILE_ATTRIBUTE_READONLY) != 0 &&
            setAttributes(there.value().get(),
                          had.FileAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY})) {
            readOnly = had.FileAttributes;
        }
    } else if (there.failure().code != ErrorCode::NotFound) {
        return there.failure();  // a link there is never replaced by what was kept
    }
    if (const DWORD error = rename(file.get(), target.value()); error != 0) {
        file.close();
        if (readOnly != 0) {
            if (auto there = openEntry(target.value(), FILE_WRITE_ATTRIBUTES); there.ok()) {
                setAttributes(there.value().get(), readOnly);
            }
        }
        return refusalOf(error, target.value());
    }
    const std::lock_guard lock(heldMutex_);
    keptAside_.erase(kept);
    return Status::success();
}

Status Win32FileSteps::removeFile(const std::string& path, bool evenReadOnly) {
    const auto file = wide(path);
    if (!file.ok()) {
        return file.failure();
    }
    // the entry itself, checked and removed through one handle: nothing can come between
    auto opened = openEntry(file.value(), DELETE | FILE_WRITE_ATTRIBUTES);
    if (!opened.ok()) {
        return opened.failure();
    }
    Handle entry = std::move(opened).value();
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(entry.get(), FileBasicInfo, &basic, sizeof basic)) {
        return failureOf(GetLastError());
    }
    if (isFolder(basic.FileAttributes)) {
        return failureOf(ERROR_ACCESS_DENIED);
    }
    // a read-only melody moves, as on Windows
    const DWORD attributes = basic.FileAttributes;
    const bool unlocked = evenReadOnly && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
                          setAttributes(entry.get(), attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    if (const DWORD error = markForRemoval(entry.get(), path); error != 0) {
        if (unlocked) {
            setAttributes(entry.get(), attributes);
        }
        entry.close();  // not to be taken for another program's hold
        return refusalOf(error, file.value());
    }
    return Status::success();
}

DWORD Win32FileSteps::markForRemoval(HANDLE entry, const std::string&) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(entry, FileDispositionInfo, &disposition, sizeof disposition)
               ? 0
               : GetLastError();
}

}  // namespace zorvik::win32
