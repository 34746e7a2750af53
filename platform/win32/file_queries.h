#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/file_steps.h"
#include "platform/status.h"
#include "platform/win32/win32_errors.h"

// What the file system's operations ask of Windows before they change anything.
namespace zorvik::win32 {

// The path without trailing separators, a drive's root kept whole ("C:\").
std::wstring withoutTrailingSeparators(std::wstring path);
// The folder part of a path ("" when it has none), a drive's root kept whole.
std::wstring folderOf(const std::wstring& path);

// GetFileAttributesW; nullopt (with GetLastError set) when there is nothing to ask.
std::optional<DWORD> attributesOf(const std::wstring& path);
inline bool isFolder(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Why nothing exists at `path`: NotFound when its folder is there, NotAFolder when the path goes
// on below a file, FolderNotFound otherwise.
ErrorCode codeOfMissing(const std::wstring& path);

// The path Windows reached through `handle`, without "\\?\"; empty where it will not say.
std::wstring finalPathOf(HANDLE handle);
// Whether two Windows paths are the same, ignoring case as the file system does, and whether or
// not either bears the long-path prefix.
bool samePath(const std::wstring& a, const std::wstring& b);

// The entry's own name as the folder holds it (its long name, case included); empty when there
// is none.
std::wstring ownNameOf(const std::wstring& path);
// Wine shows a host's symbolic link as a plain file and follows it when deleting or renaming:
// the file `file` (opened at `path`) reached then lies elsewhere than the folder's entry
// `ownName`. False where Windows will not say, and on Windows, where a link is a reparse point.
bool reachesElsewhere(HANDLE file, const std::wstring& path, const std::wstring& ownName);
// Whether the entry open as `file` (opened as itself) is a link, a junction or a mount point.
bool isLinkItself(HANDLE file);

// The file's volume and index; nullopt where Windows will not say.
std::optional<FileIdentity> identityOf(HANDLE file);

// Opened for its identity and attributes only (no read or write access, any sharing), so that
// nothing another program does is disturbed; folders open too.
Handle openForQuery(const std::wstring& path);

}  // namespace zorvik::win32
