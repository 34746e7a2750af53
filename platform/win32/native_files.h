#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/win32_errors.h"

// What only the native calls do: open or name a file relative to a folder held open, and give a
// file a second name by its handle.
namespace zorvik::win32 {

// FILE_RENAME_INFO (and FILE_LINK_INFORMATION, laid out alike) naming `name`, in `root` where
// given (`name` bare then), else as a full path; `flags` as the Ex class reads them (the classic
// class reads ReplaceIfExists from the first byte).
std::string nameInformation(const std::wstring& name, DWORD flags, HANDLE root = nullptr);

// Windows' own name of a path, which the native calls take ("\??\C:\...").
std::wstring nativePath(const std::wstring& path);

enum class NativeNaming { Rename = 10, Link = 11, RenameEx = 65 };

// A new name for the open file (NtSetInformationFile): 0 or the Win32 error.
DWORD nameNatively(HANDLE file, NativeNaming kind, HANDLE root, const std::wstring& name,
                   DWORD flags);

// The entry `name` of the folder open as `root`, as itself (a link is not followed), made anew
// where `create`: never a path resolved again. Not valid, with the Win32 error set, where it
// will not open.
Handle openNatively(HANDLE root, const std::wstring& name, DWORD access, DWORD share, bool create);

}  // namespace zorvik::win32
