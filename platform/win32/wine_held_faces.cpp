#include "platform/win32/wine_held_faces.h"

#include <unordered_map>

#include "platform/win32/wine_edit_face.h"

namespace zorvik::win32 {

namespace {

struct Held {
    WNDPROC previous;
    std::wstring face;
};

// One hook, and the windows it holds, for each thread that makes windows: a window's messages
// come on the thread that made it. Not through SetWindowSubclass, which looks up a window
// property at every message: under Wine, a call to the server each time.
thread_local HHOOK hook = nullptr;
thread_local std::unordered_map<HWND, Held> held;

LRESULT CALLBACK inHeldFace(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto found = held.find(window);
    if (found == held.end()) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    const Held holding = found->second;  // the window's handling may hold others meanwhile
    if (message == WM_SETFONT) {
        if (const HFONT inFace = fontInFace(reinterpret_cast<HFONT>(wParam), holding.face)) {
            wParam = reinterpret_cast<WPARAM>(inFace);
        }
    } else if (message == WM_NCDESTROY) {
        // the procedure stays: whoever subclassed the window after it still calls it
        held.erase(window);
    }
    return CallWindowProcW(holding.previous, window, message, wParam, lParam);
}

void hold(HWND window, const std::wstring& face) {
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(inHeldFace)));
    if (previous != nullptr) {
        held[window] = {previous, face};
    }
}

bool isOfClass(HWND window, const wchar_t* wanted) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    return lstrcmpiW(name, wanted) == 0;
}

LRESULT CALLBACK holdWhenCreated(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const auto window = reinterpret_cast<HWND>(wParam);
        if (isOfClass(window, L"Edit")) {
            hold(window, wineSafeEditFace());
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void holdEditBoxesInSafeFace() {
    if (hook == nullptr && !wineSafeEditFace().empty()) {
        hook = SetWindowsHookExW(WH_CBT, holdWhenCreated, nullptr, GetCurrentThreadId());
    }
}

}  // namespace zorvik::win32
