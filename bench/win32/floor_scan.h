#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "bench/sorted_names.h"
#include "platform/win32/wide_text.h"
#include "platform/windows_text.h"

// The floor of every listing on Windows: the least any program showing the melodies of a folder
// must do. One FindFirstFileExW scan of "folder\*.wav" in large blocks, without short names;
// each name found is checked as the list must check it (not a folder, the program's own "*.wav"
// match, since Windows' also matches short names, and a name Windows can hold) and, in UTF-8 as
// the program keeps it, sorted as bench/sorted_names.h sorts them.
namespace zorvik::bench {

inline std::vector<std::string> scanMelodies(const std::wstring& folder) {
    SortedNames names;
    WIN32_FIND_DATAW found{};
    const HANDLE search =
        FindFirstFileExW((folder + L"\\*.wav").c_str(), FindExInfoBasic, &found,
                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        return {};
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            continue;
        }
        const auto name = win32::toUtf8(found.cFileName);
        if (name && text::matchesWavPattern(*name) && text::isValidWindowsName(*name)) {
            names.add(*name);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return std::move(names).take();
}

}  // namespace zorvik::bench
