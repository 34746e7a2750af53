#pragma once

#include <windows.h>

// Answering a modal dialog of this thread from outside it, when the window must close while
// the dialog waits: the message boxes and the open-file dialog are both dialogs of the standard
// class, run by Windows' own modal loop.
namespace zorvik::win32 {

// Answers the dialog this thread shows over `owner` (any, for nullptr) as its Cancel button
// does, or a dialog with no Cancel button as its OK button does. The answer is posted, so that
// the dialog's own loop ends it when the caller has returned.
inline void answerOpenDialogWithCancel(HWND owner) {
    struct Search {
        HWND owner;
    } search{owner};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM context) -> BOOL {
            const auto& wanted = *reinterpret_cast<const Search*>(context);
            wchar_t className[16] = {};
            GetClassNameW(window, className, 16);
            if (lstrcmpW(className, L"#32770") != 0 ||
                (wanted.owner != nullptr && GetWindow(window, GW_OWNER) != wanted.owner)) {
                return TRUE;
            }
            const int button = GetDlgItem(window, IDCANCEL) != nullptr ? IDCANCEL : IDOK;
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
}

}  // namespace zorvik::win32
