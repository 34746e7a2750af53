#include "platform/win32/win32_progress.h"

#include <commctrl.h>

#include <cstdint>
#include <optional>
#include <utility>

#include "platform/scoped_value.h"
#include "platform/win32/box_placement.h"
#include "platform/win32/wide_text.h"

namespace zorvik::win32 {

namespace {

constexpr wchar_t kClassName[] = L"ZorvikCopyProgress";
constexpr wchar_t kFontProperty[] = L"ZorvikCopyProgressFont";
constexpr int kBarId = 100;
constexpr int kSteps = 1000;  // the bar's range is an int: it cannot count large files' bytes

// The Cancel button, Escape and the close box all cancel; the dialog stays until the copy has
// stopped.
LRESULT CALLBACK dialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* cancelled =
        reinterpret_cast<std::atomic<bool>*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    const bool cancels =
        (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) || (message == WM_CLOSE);
    if (cancels) {
        if (cancelled != nullptr) {
            *cancelled = true;
        }
        EnableWindow(GetDlgItem(window, IDCANCEL), FALSE);
        return 0;
    }
    if (message == WM_NCDESTROY) {
        if (HANDLE font = RemovePropW(window, kFontProperty); font != nullptr) {
            DeleteObject(font);
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool registerClass() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = dialogProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kClassName;
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        return RegisterClassExW(&windowClass) != 0;
    }();
    return registered;
}

HWND createDialog(HWND owner, const std::wstring& caption, const std::wstring& text,
                  std::atomic<bool>& cancelled) {
    if (!registerClass()) {
        return nullptr;
    }
    const UINT dpi = owner != nullptr ? GetDpiForWindow(owner) : 96;
    const auto px = [dpi](int at96) { return MulDiv(at96, static_cast<int>(dpi), 96); };
    RECT frame{0, 0, px(360), px(120)};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    AdjustWindowRectExForDpi(&frame, style, FALSE, WS_EX_DLGMODALFRAME, dpi);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    HWND dialog = CreateWindowExW(WS_EX_DLGMODALFRAME, kClassName, caption.c_str(), style, 0, 0,
                                  width, height, owner, nullptr, instance, nullptr);
    if (dialog == nullptr) {
        return nullptr;
    }
    placeOverOwner(dialog, owner);
    SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&cancelled));
    // the face and size of the system's message boxes at this DPI, the dialog's to the end
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    HFONT face = SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                            dpi) != FALSE
                     ? CreateFontIndirectW(&metrics.lfMessageFont)
                     : nullptr;
    if (face != nullptr) {
        SetPropW(dialog, kFontProperty, face);
    }
    const auto font = reinterpret_cast<WPARAM>(
        face != nullptr ? face : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    const auto child = [&](const wchar_t* kind, const wchar_t* label, DWORD more, int id, int x,
                           int y, int w, int h) {
        HWND made = CreateWindowExW(
            0, kind, label, WS_CHILD | WS_VISIBLE | more, px(x), px(y), px(w), px(h), dialog,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        SendMessageW(made, WM_SETFONT, font, FALSE);
        return made;
    };
    child(L"STATIC", text.c_str(), SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, -1, 12, 12, 336, 20);
    HWND bar = child(PROGRESS_CLASSW, L"", 0, kBarId, 12, 40, 336, 18);
    SendMessageW(bar, PBM_SETRANGE32, 0, kSteps);
    const std::wstring cancel = toWideLossy(kCancelCopyCaption);
    HWND button =
        child(L"BUTTON", cancel.c_str(), WS_TABSTOP | BS_DEFPUSHBUTTON, IDCANCEL, 135, 76, 90, 26);
    ShowWindow(dialog, SW_SHOWNORMAL);
    SetFocus(button);
    return dialog;
}

void showProgress(HWND dialog, const CopyWorker& shared) {
    const std::uint64_t total = shared.total;
    const std::uint64_t done = shared.done;
    SendDlgItemMessageW(dialog, kBarId, PBM_SETPOS,
                        total == 0 ? 0 : static_cast<WPARAM>(done * kSteps / total), 0);
}

}  // namespace

Win32Progress::Win32Progress(std::string_view caption, HWND owner)
    : owner_(owner), caption_(toWideLossy(caption)) {}

void Win32Progress::dismiss() {
    if (running_ != nullptr) {
        running_->cancelAndWait();
    }
}

void Win32Progress::run(std::string_view fileName, const std::function<void(CopyProgress&)>& work) {
    HANDLE finished = running_ == nullptr ? CreateEventW(nullptr, TRUE, FALSE, nullptr) : nullptr;
    if (finished == nullptr) {
        // a copy within a copy (the window takes no command meanwhile: none should come), or
        // no event to wait on: the window waits, but the copy is made
        CopyWorker here;
        work(here);
        return;
    }
    struct Closer {
        HANDLE handle;
        ~Closer() { CloseHandle(handle); }
    } closer{finished};
    CopyWorker shared;  // gone, its thread ended, before the event it sets
    const ScopedValue current(running_, &shared);
    shared.start(work, [finished] { SetEvent(finished); });
    if (shared.finished) {
        shared.finish();
        return;
    }
    // Until the dialog shows, the user's input waits in the queue for the copy to end, and
    // what the window needs to draw itself and hear a close is handled; with the dialog, the
    // window is disabled as under any modal dialog.
    const HWND owner = owner_ != nullptr && IsWindow(owner_) ? owner_ : nullptr;
    bool disabled = false;
    bool dialogDue = true;
    const ULONGLONG start = GetTickCount64();
    std::optional<int> quit;
    for (;;) {
        DWORD wait = 100;  // the bar moves this often
        if (dialogDue) {
            const ULONGLONG elapsed = GetTickCount64() - start;
            if (elapsed >= delayMs_) {
                // once: with no dialog to be had (no desktop) the copy goes on unseen, the
                // user's input still waiting
                dialogDue = false;
                dialog_ = createDialog(owner, caption_, toWideLossy(copyingText(fileName)),
                                       shared.cancelled);
                disabled =
                    dialog_ != nullptr && owner != nullptr && EnableWindow(owner, FALSE) == FALSE;
            } else {
                wait = static_cast<DWORD>(delayMs_ - elapsed);
            }
        }
        const bool withInput = dialog_ != nullptr;
        if (withInput) {
            showProgress(dialog_, shared);
        }
        const DWORD wake =
            withInput ? QS_ALLINPUT : QS_PAINT | QS_POSTMESSAGE | QS_SENDMESSAGE | QS_TIMER;
        if (MsgWaitForMultipleObjectsEx(1, &finished, wait, wake,
                                        withInput ? MWMO_INPUTAVAILABLE : 0) == WAIT_OBJECT_0) {
            break;
        }
        const UINT which =
            withInput ? PM_REMOVE : PM_REMOVE | PM_QS_PAINT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, which) != FALSE) {
            if (message.message == WM_QUIT) {
                quit = static_cast<int>(message.wParam);  // for the program's own loop, after
                continue;
            }
            if (dialog_ != nullptr && IsDialogMessageW(dialog_, &message) != FALSE) {
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    // the window takes the activation back before the dialog goes, as after any modal dialog
    if (disabled) {
        EnableWindow(owner, TRUE);
    }
    if (dialog_ != nullptr) {
        DestroyWindow(std::exchange(dialog_, nullptr));
    }
    if (quit) {
        PostQuitMessage(*quit);
    }
    shared.finish();
}

}  // namespace zorvik::win32
