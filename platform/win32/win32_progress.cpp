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

constexpr int kSteps = 1000;  // the bar's range is a WORD: it cannot count large files' bytes

// What the task dialog's callback works with, on this thread, inside the dialog's loop.
struct Shown {
    HWND& dialog;
    CopyWorker& copy;
    HANDLE finished;
    HWND owner;
    bool closing = false;
};

void showProgress(HWND dialog, const CopyWorker& copy) {
    const std::uint64_t total = copy.total;
    const std::uint64_t done = copy.done;
    SendMessageW(dialog, TDM_SET_PROGRESS_BAR_POS,
                 total == 0 ? 0 : static_cast<WPARAM>(done * kSteps / total), 0);
}

// Cancel, Escape and the close box all cancel; the dialog stays until the copy has stopped, and
// then goes by itself.
HRESULT CALLBACK onDialog(HWND dialog, UINT notification, WPARAM wParam, LPARAM, LONG_PTR data) {
    auto& shown = *reinterpret_cast<Shown*>(data);
    switch (notification) {
        case TDN_CREATED:
            shown.dialog = dialog;
            SendMessageW(dialog, TDM_SET_PROGRESS_BAR_RANGE, 0, MAKELPARAM(0, kSteps));
            placeOverOwner(dialog, shown.owner);
            showProgress(dialog, shown.copy);
            break;
        case TDN_TIMER:
            showProgress(dialog, shown.copy);
            if (WaitForSingleObject(shown.finished, 0) == WAIT_OBJECT_0) {
                shown.closing = true;
                SendMessageW(dialog, TDM_CLICK_BUTTON, IDCANCEL, 0);
            }
            break;
        case TDN_BUTTON_CLICKED:
            if (shown.closing) {
                return S_OK;
            }
            if (wParam == IDCANCEL) {
                shown.copy.cancelled = true;
                SendMessageW(dialog, TDM_ENABLE_BUTTON, IDCANCEL, FALSE);
            }
            return S_FALSE;
        case TDN_DESTROYED:
            shown.dialog = nullptr;
            break;
        default:
            break;
    }
    return S_OK;
}

}  // namespace

Win32Progress::Win32Progress(std::string_view caption, HWND owner)
    : owner_(owner), caption_(toWideLossy(caption)) {}

bool Win32Progress::showDialog(HWND owner, std::string_view doing, CopyWorker& copy,
                               HANDLE finished) {
    const std::wstring text = forTaskDialog(doing);
    const std::wstring cancel = toWideLossy(texts::kCancelCaption);
    const TASKDIALOG_BUTTON buttons[] = {{IDCANCEL, cancel.c_str()}};
    Shown shown{dialog_, copy, finished, owner};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.dwFlags = TDF_SHOW_PROGRESS_BAR | TDF_CALLBACK_TIMER | TDF_ALLOW_DIALOG_CANCELLATION |
                     TDF_POSITION_RELATIVE_TO_WINDOW;
    config.cxWidth = taskDialogWidth();
    config.pszWindowTitle = caption_.c_str();
    config.pszContent = text.c_str();
    config.cButtons = 1;
    config.pButtons = buttons;
    config.nDefaultButton = IDCANCEL;
    config.pfCallback = onDialog;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(&shown);
    // its loop ends early only for a WM_QUIT, which it leaves in the queue
    return SUCCEEDED(TaskDialogIndirect(&config, nullptr, nullptr, nullptr)) && shown.closing;
}

void Win32Progress::dismiss() {
    if (running_ != nullptr) {
        running_->cancelAndWait();
    }
}

bool Win32Progress::run(std::string_view doing, const std::function<void(CopyProgress&)>& work) {
    HANDLE finished = running_ == nullptr ? CreateEventW(nullptr, TRUE, FALSE, nullptr) : nullptr;
    if (finished == nullptr) {
        // a copy within a copy (the window takes no command meanwhile: none should come), or
        // no event to wait on: the window waits, but the copy is made
        CopyWorker here;
        work(here);
        return true;
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
        return true;
    }
    // Until the dialog shows, the user's input waits in the queue for the copy to end, and
    // what the window needs to draw itself and hear a close is handled. The dialog, modal,
    // disables the window as any modal dialog does, and runs its own loop.
    const HWND owner = owner_ != nullptr && IsWindow(owner_) ? owner_ : nullptr;
    bool dialogDue = true;
    const ULONGLONG start = GetTickCount64();
    std::optional<int> quit;
    for (;;) {
        DWORD wait = INFINITE;
        if (dialogDue) {
            const ULONGLONG elapsed = GetTickCount64() - start;
            if (elapsed >= delayMs_) {
                // once: with no dialog to be had (no desktop) the copy goes on unseen, the
                // user's input still waiting
                dialogDue = false;
                if (showDialog(owner, doing, shared, finished)) {
                    break;
                }
                continue;  // the copy goes on unseen
            }
            wait = static_cast<DWORD>(delayMs_ - elapsed);
        }
        if (MsgWaitForMultipleObjectsEx(1, &finished, wait,
                                        QS_PAINT | QS_POSTMESSAGE | QS_SENDMESSAGE | QS_TIMER,
                                        0) == WAIT_OBJECT_0) {
            break;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0,
                            PM_REMOVE | PM_QS_PAINT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE) !=
               FALSE) {
            if (message.message == WM_QUIT) {
                quit = static_cast<int>(message.wParam);  // for the program's own loop, after
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (quit) {
        PostQuitMessage(*quit);
    }
    shared.finish();
    // a cancel heard up to here, while the dialog still showed, undoes the work
    return !shared.cancelled;
}

}  // namespace zorvik::win32
