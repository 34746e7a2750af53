#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

// The probes answer the test scripts in lines of UTF-8, whatever the console's code page.
namespace zorvik::testing {

inline void print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

inline std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The window `find` finds, tried ten times a second for `seconds`; nullptr if none came.
template <typename Find>
HWND waitForWindow(int seconds, Find find) {
    for (int round = 0; round <= seconds * 10; ++round) {
        if (const HWND found = find(); found != nullptr) {
            return found;
        }
        Sleep(100);
    }
    return nullptr;
}

// The shown controls in `window`, at any depth. (A hidden label bears the caption of what it
// names.)
inline std::vector<HWND> shownControls(HWND window) {
    std::vector<HWND> controls;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM list) {
            if (IsWindowVisible(child) != FALSE) {
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&controls));
    return controls;
}

// "X Y": the screen point at the middle of `area`, in `relativeTo`'s client coordinates.
inline void printMiddle(HWND relativeTo, RECT area) {
    POINT middle{(area.left + area.right) / 2, (area.top + area.bottom) / 2};
    ClientToScreen(relativeTo, &middle);
    print(std::to_string(middle.x) + " " + std::to_string(middle.y));
}

inline void printMiddle(HWND control) {
    RECT area{};
    GetClientRect(control, &area);
    printMiddle(control, area);
}

}  // namespace zorvik::testing
