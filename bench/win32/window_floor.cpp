// The floors of start-up on Windows, each to the end of its first paint:
//   zorvik_bench_win32_window_floor designed   the window as designed, built straight with Win32
//       from the design table (caption, icon, the design's fonts, every frame, box, button and
//       the list), its list filled from one scan of the Rings folder beside this program
//       (bench/win32/floor_scan.h) and the settings it shows read from the registry once;
//   zorvik_bench_win32_window_floor bare       a window of the same size with one label.
// None of the program's own code runs.
#include <windows.h>

#include <commctrl.h>

#include <cmath>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "bench/win32/child_process.h"
#include "bench/win32/first_paint.h"
#include "bench/win32/floor_scan.h"
#include "main_window/form1_layout.h"
#include "main_window/win32/resource_ids.h"
#include "platform/win32/wide_text.h"

namespace {

namespace layout = zorvik::layout;
using zorvik::win32::toWideLossy;

constexpr wchar_t kClassName[] = L"ZorvikBenchFloor";

struct Shown {
    std::vector<std::string> names;
    std::wstring drawn;  // the name the list last asked for, kept while it draws it
    std::map<HWND, COLORREF> textColours;
};
Shown shown;

LRESULT CALLBACK floorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NOTIFY: {
            auto& info = *reinterpret_cast<NMLVDISPINFOW*>(lParam);
            if (info.hdr.code == LVN_GETDISPINFOW && (info.item.mask & LVIF_TEXT) != 0) {
                shown.drawn = toWideLossy(shown.names[static_cast<std::size_t>(info.item.iItem)]);
                info.item.pszText = shown.drawn.data();
            }
            return 0;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT: {
            const auto colour = shown.textColours.find(reinterpret_cast<HWND>(lParam));
            if (colour != shown.textColours.end()) {
                const auto dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, colour->second);
                SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HFONT fontAt(std::string_view face, double points, int weight, bool italic, UINT dpi) {
    return CreateFontW(-static_cast<int>(std::lround(points * dpi / 72.0)), 0, 0, 0, weight,
                       italic ? TRUE : FALSE, FALSE, FALSE, RUSSIAN_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                       toWideLossy(face).c_str());
}

int pixels(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), 1440);
}

std::wstring settingText(const wchar_t* name) {
    wchar_t text[1024] = {};
    DWORD size = sizeof text;
    RegGetValueW(HKEY_CURRENT_USER, L"Zorvik\\Setings", name, RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
}

DWORD settingNumber(const wchar_t* name) {
    DWORD number = 0;
    DWORD size = sizeof number;
    RegGetValueW(HKEY_CURRENT_USER, L"Zorvik\\Setings", name, RRF_RT_REG_DWORD, nullptr, &number,
                 &size);
    return number;
}

// Every control of the design table, in the table's order, placed by its container's corner.
void addDesignedControls(HWND window, UINT dpi) {
    const HFONT controlFont =
        fontAt(layout::kControlFontFamily, layout::kControlFontPointSize, FW_NORMAL, false, dpi);
    std::map<std::string_view, POINT> corners;
    std::map<std::string_view, HWND> made;
    for (const auto& control : layout::kControls) {
        const POINT corner = control.container.empty() ? POINT{} : corners[control.container];
        const POINT at{corner.x + pixels(control.left, dpi), corner.y + pixels(control.top, dpi)};
        corners[control.name] = at;
        const wchar_t* kind = L"BUTTON";
        DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
        DWORD extendedStyle = 0;
        switch (control.kind) {
            case layout::Kind::Frame:
                style |= BS_GROUPBOX;
                break;
            case layout::Kind::CheckBox:
                style |= BS_3STATE | BS_MULTILINE | WS_TABSTOP;
                break;
            case layout::Kind::CommandButton:
                style |= BS_PUSHBUTTON | BS_MULTILINE | WS_TABSTOP;
                break;
            case layout::Kind::TextBox:
                kind = L"EDIT";
                style |= ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP;
                break;
            case layout::Kind::FileListBox:
                kind = WC_LISTVIEWW;
                style |= LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_OWNERDATA |
                         LVS_SHOWSELALWAYS | WS_TABSTOP;
                extendedStyle = WS_EX_CLIENTEDGE;
                break;
            case layout::Kind::Multimedia:
                continue;
        }
        const std::wstring caption =
            control.kind == layout::Kind::FileListBox ? L"" : toWideLossy(control.caption);
        const HWND handle = CreateWindowExW(extendedStyle, kind, caption.c_str(), style, at.x, at.y,
                                            pixels(control.width, dpi), pixels(control.height, dpi),
                                            window, nullptr, GetModuleHandleW(nullptr), nullptr);
        made[control.name] = handle;
        HFONT font = controlFont;
        for (const auto& box : layout::kTextBoxStyles) {
            if (box.name == control.name) {
                font = fontAt(box.fontFamily, box.pointSize, box.weight, box.italic, dpi);
                shown.textColours[handle] =
                    RGB(box.textColour.red, box.textColour.green, box.textColour.blue);
            }
        }
        SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }

    const HWND list = made["File1"];
    shown.names = zorvik::bench::scanMelodies(zorvik::bench::programFolder() + L"\\Rings");
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    RECT inside{};
    GetClientRect(list, &inside);
    column.cx = inside.right;
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    SendMessageW(list, LVM_SETITEMCOUNT, shown.names.size(), LVSICF_NOINVALIDATEALL);

    SendMessageW(made["Check1"], BM_SETCHECK, settingNumber(L"Audio"), 0);
    SendMessageW(made["Check2"], BM_SETCHECK, settingNumber(L"inDeleted"), 0);
    const std::wstring ring = settingText(L"RingSound");
    SetWindowTextW(made["Text1"], ring.c_str());
    SetWindowTextW(made["Text2"], ring.c_str());
    SetFocus(list);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool bare = argc > 1 && std::wstring_view(argv[1]) == L"bare";
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    zorvik::bench::reportFirstPaint();

    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = floorProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    if (!bare) {
        windowClass.hIcon = static_cast<HICON>(
            LoadImageW(instance, MAKEINTRESOURCEW(ZORVIK_ICON_ID), IMAGE_ICON,
                       GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
        windowClass.hIconSm = static_cast<HICON>(
            LoadImageW(instance, MAKEINTRESOURCEW(ZORVIK_ICON_ID), IMAGE_ICON,
                       GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    }
    RegisterClassExW(&windowClass);
    constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    const std::wstring caption = bare ? L"floor" : toWideLossy(layout::kFormCaption);
    const HWND window =
        CreateWindowExW(0, kClassName, caption.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    const UINT dpi = GetDpiForWindow(window);
    RECT frame{0, 0, pixels(layout::kClientWidth, dpi), pixels(layout::kClientHeight, dpi)};
    AdjustWindowRectExForDpi(&frame, kStyle, FALSE, 0, dpi);
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (bare) {
        CreateWindowExW(0, L"STATIC", L"floor", WS_CHILD | WS_VISIBLE, 8, 8, 100, 20, window,
                        nullptr, instance, nullptr);
    } else {
        addDesignedControls(window, dpi);
    }
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
