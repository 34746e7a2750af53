#include "platform/win32/wine_held_faces.h"

#include <unordered_map>
#include <utility>

#include "platform/win32/wide_text.h"
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
// The face the next dialog box is to be held to ("" for none), and the box held now.
thread_local std::wstring nextBoxFace;
thread_local HWND heldBox = nullptr;

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
        if (window == heldBox) {
            heldBox = nullptr;
        }
    }
    const LRESULT result = CallWindowProcW(holding.previous, window, message, wParam, lParam);
    if (message == WM_GETFONT) {
        // a message box measures its text in its own font: in the face it is drawn in
        if (const HFONT inFace = fontInFace(reinterpret_cast<HFONT>(result), holding.face)) {
            return reinterpret_cast<LRESULT>(inFace);
        }
    }
    return result;
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
        const HWND parent = reinterpret_cast<const CBT_CREATEWNDW*>(lParam)->lpcs->hwndParent;
        if (isOfClass(window, L"Edit")) {
            hold(window, wineSafeEditFace());
        } else if (heldBox != nullptr && (parent == heldBox || IsChild(heldBox, parent) != FALSE)) {
            hold(window, held.at(heldBox).face);
        } else if (!nextBoxFace.empty() && isOfClass(window, L"#32770")) {
            hold(window, std::exchange(nextBoxFace, {}));
            heldBox = held.contains(window) ? window : nullptr;
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

NextBoxInFaceShowing::NextBoxInFaceShowing(std::string_view text) {
    if (wineSafeEditFace().empty()) {
        return;
    }
    holdEditBoxesInSafeFace();
    previous_ = std::exchange(nextBoxFace, wineFaceShowing(toWideLossy(text), wineSafeEditFace()));
}

NextBoxInFaceShowing::~NextBoxInFaceShowing() {
    nextBoxFace = previous_;
}

}  // namespace zorvik::win32
