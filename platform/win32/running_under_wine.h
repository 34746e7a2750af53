#pragma once

#include <windows.h>

namespace zorvik::win32 {

// Whether Windows is Wine, whose faults and ways (its uniscribe, a host's links) real Windows
// does not share.
inline bool runningUnderWine() {
    static const bool underWine = [] {
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return underWine;
}

}  // namespace zorvik::win32
