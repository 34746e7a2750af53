// Reads the installer and the installed files from outside, as a user of Windows sees them:
//   zorvik_installer_probe version FILE            the version resource: "Name=value" lines
//   zorvik_installer_probe texts PREFIX SECONDS    waits for a shown window whose title starts
//                                                  with PREFIX; the texts of its shown controls,
//                                                  one a line, as "text" or, for a label that
//                                                  cuts its text short, "CUT: text"
//   zorvik_installer_probe point PREFIX TEXT       the screen point at the middle of the shown
//                                                  control of that window whose text is TEXT
// Text is written as UTF-8.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/wide_text.h"
#include "tests/win32_window/probe_print.h"

namespace {

using zorvik::testing::print;
using zorvik::testing::printMiddle;
using zorvik::testing::shownControls;
using zorvik::testing::waitForWindow;
using zorvik::testing::windowText;
using zorvik::win32::toUtf8Lossy;
using zorvik::win32::toWideLossy;

int printVersion(const std::wstring& file) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    std::vector<unsigned char> block(size);
    if (size == 0 || !GetFileVersionInfoW(file.c_str(), 0, size, block.data())) {
        std::fputs("zorvik_installer_probe: no version resource\n", stderr);
        return 1;
    }
    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), L"\\", &value, &length) &&
        length >= sizeof(VS_FIXEDFILEINFO)) {
        const auto& fixed = *static_cast<const VS_FIXEDFILEINFO*>(value);
        const auto dotted = [](DWORD high, DWORD low) {
            return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
                   std::to_string(HIWORD(low)) + "." + std::to_string(LOWORD(low));
        };
        print("FixedFileVersion=" + dotted(fixed.dwFileVersionMS, fixed.dwFileVersionLS));
        print("FixedProductVersion=" + dotted(fixed.dwProductVersionMS, fixed.dwProductVersionLS));
    }
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) ||
        length < 2 * sizeof(WORD)) {
        std::fputs("zorvik_installer_probe: no translation\n", stderr);
        return 1;
    }
    const auto* translation = static_cast<const WORD*>(value);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%04x%04x", translation[0], translation[1]);
    const std::wstring language = toWideLossy(hex);
    print("Translation=" + std::string(hex));
    for (const wchar_t* name : {L"CompanyName", L"FileDescription", L"FileVersion",
                                L"LegalCopyright", L"ProductName", L"ProductVersion"}) {
        const std::wstring path = L"\\StringFileInfo\\" + language + L"\\" + name;
        if (VerQueryValueW(block.data(), path.c_str(), &value, &length) && length > 0) {
            print(toUtf8Lossy(name) + "=" + toUtf8Lossy(static_cast<const wchar_t*>(value)));
        }
    }
    return 0;
}

struct TopLevelSearch {
    std::wstring prefix;
    HWND found = nullptr;
};

BOOL CALLBACK matchTitle(HWND window, LPARAM search) {
    auto& wanted = *reinterpret_cast<TopLevelSearch*>(search);
    if (IsWindowVisible(window) != FALSE && windowText(window).starts_with(wanted.prefix)) {
        wanted.found = window;
        return FALSE;
    }
    return TRUE;
}

HWND windowTitled(const std::wstring& prefix, int seconds) {
    return waitForWindow(seconds, [&] {
        TopLevelSearch search{prefix};
        EnumWindows(matchTitle, reinterpret_cast<LPARAM>(&search));
        return search.found;
    });
}

// Whether a label shows its text whole. A line that the label's lower edge cuts through leaves
// ink on the label's last row of pixels, where a text that fits leaves only the background.
bool showsWhole(HWND label) {
    wchar_t kind[16] = {};
    GetClassNameW(label, kind, 16);
    if (std::wstring_view(kind) != L"Static") {
        return true;
    }
    RECT area{};
    GetClientRect(label, &area);
    POINT lastRow{0, area.bottom - 1};
    ClientToScreen(label, &lastRow);
    const HDC screen = GetDC(nullptr);
    const COLORREF background = GetPixel(screen, lastRow.x, lastRow.y);
    bool blank = true;
    for (LONG x = 1; x < area.right && blank; ++x) {
        blank = GetPixel(screen, lastRow.x + x, lastRow.y) == background;
    }
    ReleaseDC(nullptr, screen);
    return blank;
}

int printTexts(HWND window) {
    for (const HWND control : shownControls(window)) {
        const std::wstring text = windowText(control);
        if (!text.empty()) {
            print((showsWhole(control) ? "" : "CUT: ") + toUtf8Lossy(text));
        }
    }
    return 0;
}

int printPoint(HWND window, const std::wstring& text) {
    for (const HWND control : shownControls(window)) {
        if (windowText(control) == text) {
            printMiddle(control);
            return 0;
        }
    }
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"version" && argc == 3) {
        return printVersion(argv[2]);
    }
    if (command == L"texts" && argc == 4) {
        const HWND window = windowTitled(argv[2], _wtoi(argv[3]));
        return window != nullptr ? printTexts(window) : 1;
    }
    if (command == L"point" && argc == 4) {
        const HWND window = windowTitled(argv[2], 0);
        return window != nullptr ? printPoint(window, argv[3]) : 1;
    }
    std::fputs(
        "usage: zorvik_installer_probe version FILE | texts PREFIX SECONDS | "
        "point PREFIX TEXT\n",
        stderr);
    return 2;
}
