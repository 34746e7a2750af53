// The queries and the temporary's steps on Windows: what is at a path (a link the system does not
// show as one included), and a temporary written, flushed and held until its rename.
#include "platform/win32/win32_file_steps.h"

#include <windows.h>
#include <winioctl.h>

#include <atomic>
#include <utility>

#include "platform/temporary_names.h"
#include "platform/win32/file_queries.h"
#include "platform/win32/native_files.h"
#include "platform/win32/wide_text.h"
#include "platform/windows_path.h"

namespace zorvik::win32 {

namespace {

// What a moved file keeps of its attributes; the rest belongs to where it lies.
constexpr DWORD kMovedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                   FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                   FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

Failure invalidName() {
    return {ErrorCode::InvalidName, {}};
}

bool isMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_DIRECTORY || error == ERROR_INVALID_NAME;
}

std::wstring widened(std::string_view ascii) {
    return {ascii.begin(), ascii.end()};
}

// Removes the open file, read-only or not; nothing to report when it cannot go.
void removeThrough(HANDLE file) {
    setAttributes(file, FILE_ATTRIBUTE_NORMAL);
    FILE_DISPOSITION_INFO disposition{TRUE};
    SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition);
}

// A name of this program's in `folder`: never "*.wav", nor a short name that Windows' "*.wav"
// would match, so no list shows it.
std::wstring temporaryName(const std::wstring& folder) {
    static std::atomic<unsigned> counter{0};
    const unsigned long long seed = (GetTickCount64() << 20) ^
                                    (static_cast<unsigned long long>(GetCurrentProcessId()) << 8) ^
                                    counter.fetch_add(1);
    std::wstring name = folder;
    if (name.empty() || name.back() != L'\\') {
        name += L'\\';
    }
    name += widened(temporary_names::kCopyPrefix);
    for (int shift = 44; shift >= 0; shift -= 4) {
        name += L"0123456789abcdef"[(seed >> shift) & 0xF];
    }
    return name + widened(temporary_names::kSuffix);
}

}  // namespace

bool setAttributes(HANDLE file, DWORD attributes) {
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) != FALSE;
}

Win32FileSteps::Held* Win32FileSteps::held(const std::string& temporary) {
    const std::lock_guard lock(heldMutex_);
    const auto found = held_.find(temporary);
    return found == held_.end() ? nullptr : &found->second;
}

HANDLE Win32FileSteps::handleOf(const std::string& temporary) {
    const Held* hold = held(temporary);
    return hold != nullptr ? hold->handle.get() : INVALID_HANDLE_VALUE;
}

Handle Win32FileSteps::release(const std::string& temporary) {
    const std::lock_guard lock(heldMutex_);
    const auto found = held_.find(temporary);
    if (found == held_.end()) {
        return Handle();
    }
    Handle handle = std::move(found->second.handle);
    held_.erase(found);
    return handle;
}

Result<EntryFacts> Win32FileSteps::inspect(const std::string& path, LinkHandling links) {
    const auto wide = apiPath(path);
    if (!wide.ok()) {
        return invalidName();
    }
    EntryFacts facts;
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS |
                        (links == LinkHandling::Itself ? FILE_FLAG_OPEN_REPARSE_POINT : 0);
    const Handle file(CreateFileW(wide.value().c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, flags, nullptr));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        if (!isMissing(error)) {
            return failureOf(error);
        }
        facts.missing = codeOfMissing(wide.value());
        return facts;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file.get(), &info)) {
        return failureOf(GetLastError());
    }
    facts.identity = {info.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    facts.readOnly = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    facts.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    facts.modified = (static_cast<std::uint64_t>(info.ftLastWriteTime.dwHighDateTime) << 32) |
                     info.ftLastWriteTime.dwLowDateTime;
    if (isFolder(info.dwFileAttributes)) {
        facts.kind = EntryKind::Folder;
        return facts;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0) {
        facts.kind = EntryKind::Other;
        return facts;
    }
    const std::wstring ownName = ownNameOf(wide.value());
    if (!ownName.empty()) {
        facts.ownPath = winpath::join(winpath::folder(path), toUtf8Lossy(ownName));
    }
    facts.kind = EntryKind::File;
    if (links == LinkHandling::Itself) {
        if (isLinkItself(file.get())) {
            facts.kind = EntryKind::Link;
        } else if (reachesElsewhere(file.get(), wide.value(), ownName)) {
            facts.kind = EntryKind::UnseenLink;
        }
    }
    return facts;
}

Status Win32FileSteps::checkRemovable(const std::string& path) {
    const auto wide = apiPath(path);
    if (!wide.ok()) {
        return invalidName();
    }
    // Asked the way a rename asks: another program that does not share deletion, or missing
    // rights, refuse it here, before anything is copied.
    const Handle file(
        CreateFileW(wide.value().c_str(), DELETE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid()) {
        return refusalOf(GetLastError(), wide.value());
    }
    return Status::success();
}

Result<std::string> Win32FileSteps::createTemporary(const std::string& folder) {
    const auto wideFolder = apiPath(folder);
    if (!wideFolder.ok()) {
        return invalidName();
    }
    DWORD error = ERROR_FILE_EXISTS;
    for (int attempt = 0;
         attempt < 100 && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS);
         ++attempt) {
        const std::wstring path = temporaryName(wideFolder.value());
        // held without FILE_SHARE_DELETE: no sweep can remove it while it is written
        // WRITE_DAC, which its creator always has: a copy takes the permissions of the file it
        // replaces (renameIntoPlace)
        constexpr DWORD kAccess = GENERIC_READ | GENERIC_WRITE | DELETE | WRITE_DAC;
        const auto place = placeOf(path);
        if (!place) {
            return failureOf(ERROR_ACCESS_DENIED);
        }
        Handle out = openNatively(place->place, place->name, kAccess, FILE_SHARE_READ, true);
        if (out.valid()) {
            const std::wstring ownName = path.substr(path.find_last_of(L'\\') + 1);
            // made new, so no link; and in the very folder asked for, or nowhere
            if (reachesElsewhere(out.get(), path, ownName)) {
                removeThrough(out.get());
                return failureOf(ERROR_ACCESS_DENIED);
            }
            const std::string named = winpath::join(folder, toUtf8Lossy(ownName));
            const std::lock_guard lock(heldMutex_);
            held_[named] = Held{std::move(out), false};
            return named;
        }
        error = GetLastError();
    }
    return failureOf(error);
}

Status Win32FileSteps::writeBlock(const std::string& temporary, std::uint64_t offset,
                                  std::span<const char> bytes) {
    const HANDLE out = handleOf(temporary);
    while (!bytes.empty()) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD written = 0;
        if (!WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, &at) ||
            written == 0) {
            return failureOf(GetLastError());
        }
        bytes = bytes.subspan(written);
        offset += written;
    }
    return Status::success();
}

Status Win32FileSteps::writeHole(const std::string& temporary, std::uint64_t offset,
                                 std::uint64_t length) {
    Held* hold = held(temporary);
    if (hold == nullptr) {
        return failureOf(ERROR_INVALID_HANDLE);
    }
    Held& out = *hold;
    if (!out.sparse) {
        // where the file system has no sparse files the hole is written as zeros
        DWORD ignored = 0;
        DeviceIoControl(out.handle.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored,
                        nullptr);
        out.sparse = true;
    }
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(offset + length);
    if (!SetFileInformationByHandle(out.handle.get(), FileEndOfFileInfo, &end, sizeof end)) {
        return failureOf(GetLastError());
    }
    return Status::success();
}

Status Win32FileSteps::finishTemporary(const std::string& temporary, const ContentFacts& facts,
                                       bool keepReadOnly) {
    const HANDLE out = handleOf(temporary);
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(facts.size);
    if (!SetFileInformationByHandle(out, FileEndOfFileInfo, &end, sizeof end)) {
        return failureOf(GetLastError());
    }
    // the copy keeps the melody's time, as Windows' own copy does; a copy is a new file and
    // never read-only, a moved file stays what it was
    FILE_BASIC_INFO basic{};
    basic.LastWriteTime.QuadPart = static_cast<LONGLONG>(facts.modified);
    if (keepReadOnly) {
        if (Held* hold = held(temporary)) {
            hold->moved = true;
        }
        const DWORD kept = facts.attributes & kMovedAttributes;
        basic.FileAttributes = kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
    }
    SetFileInformationByHandle(out, FileBasicInfo, &basic, sizeof basic);
    return Status::success();
}

Status Win32FileSteps::flushTemporary(const std::string& temporary) {
    if (!FlushFileBuffers(handleOf(temporary))) {
        return failureOf(GetLastError());
    }
    return Status::success();
}

void Win32FileSteps::removeTemporary(const std::string& temporary) {
    if (Held* hold = held(temporary)) {
        // by its handle, read-only or not, so that nothing else can come between
        removeThrough(hold->handle.get());
        release(temporary);
        return;
    }
    // a kept-aside file, by a handle on the entry itself, and only the one kept there
    const auto wide = apiPath(temporary);
    if (!wide.ok()) {
        return;
    }
    const auto kept = openEntry(wide.value(), DELETE | FILE_WRITE_ATTRIBUTES);
    if (kept.ok() && isKeptAsMade(temporary, kept.value().get())) {
        removeThrough(kept.value().get());
    }
    const std::lock_guard lock(heldMutex_);
    keptAside_.erase(temporary);
}

void Win32FileSteps::letGo(const std::string& temporary) {
    release(temporary);
    const std::lock_guard lock(heldMutex_);
    keptAside_.erase(temporary);
}

void Win32FileSteps::syncFolder(const std::string& folder) {
    // Windows keeps no folder apart from its log; where a folder can be flushed at all, it is
    // through a handle with write access
    const auto wide = apiPath(folder.empty() ? std::string("\\") : folder);
    if (!wide.ok()) {
        return;
    }
    const Handle handle(CreateFileW(wide.value().c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (handle.valid()) {
        FlushFileBuffers(handle.get());
    }
}

void Win32FileSteps::removeAbandonedTemporaries(const std::string& folder) {
    const auto wide = apiPath(folder);
    if (!wide.ok()) {
        return;
    }
    std::wstring base = wide.value();
    if (base.empty() || base.back() != L'\\') {
        base += L'\\';
    }
    WIN32_FIND_DATAW found{};
    const std::wstring pattern =
        base + widened(temporary_names::kCopyPrefix) + L'*' + widened(temporary_names::kSuffix);
    const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const auto name = toUtf8(found.cFileName);
        // the pattern also meets short names: the long one must be the program's own
        if (isFolder(found.dwFileAttributes) || !name ||
            !temporary_names::isGiven(*name, temporary_names::kCopyPrefix)) {
            continue;
        }
        // a live writer holds its temporary open: only one nobody holds opens unshared
        const auto abandoned = openEntry(base + found.cFileName, DELETE | FILE_WRITE_ATTRIBUTES, 0);
        if (abandoned.ok()) {
            removeThrough(abandoned.value().get());
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace zorvik::win32
