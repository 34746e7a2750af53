#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/copy_worker.h"
#include "platform/progress_service.h"

namespace zorvik::win32 {

// The copy runs on a thread of its own while this one keeps the window's messages flowing, the
// window disabled as under any modal dialog; after a moment a dialog over it shows how far the
// copy has come and offers to cancel.
class Win32Progress final : public ProgressService {
public:
    explicit Win32Progress(std::string_view caption, HWND owner = nullptr);
    void setOwner(HWND owner) { owner_ = owner; }

    bool run(std::string_view doing, const std::function<void(CopyProgress&)>& work) override;
    void dismiss() override;

    // How long a copy runs before its dialog shows; tests show it at once.
    void setDialogDelay(DWORD milliseconds) { delayMs_ = milliseconds; }
    // The dialog that shows now, for tests; nullptr when none does.
    HWND dialog() const { return dialog_; }

private:
    // The task dialog over the copy until it has ended; false where none could be shown, or
    // it went before the copy ended (a WM_QUIT).
    bool showDialog(HWND owner, std::string_view doing, CopyWorker& copy, HANDLE finished);

    HWND owner_;
    std::wstring caption_;
    DWORD delayMs_ = kProgressDialogDelayMs;
    CopyWorker* running_ = nullptr;  // the copy under way, if any
    HWND dialog_ = nullptr;
};

}  // namespace zorvik::win32
