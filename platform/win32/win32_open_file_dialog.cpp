#include "platform/win32/win32_open_file_dialog.h"

#include <algorithm>

#include "platform/scoped_value.h"
#include "platform/win32/box_placement.h"
#include "platform/win32/dialog_dismissal.h"
#include "platform/win32/running_under_wine.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/wine_held_faces.h"
#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik::win32 {

namespace {

// Room for a path as long as Windows allows, not only MAX_PATH.
constexpr DWORD kPathBuffer = 32768;

// Under Wine the dialog is laid out, then placed by the window manager: the hook's own dialog,
// a child of the open-file dialog, puts it back over the window, and wholly on the screen.
UINT_PTR CALLBACK placedOverTheWindow(HWND hookDialog, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == CDN_INITDONE) {
        const HWND fileDialog = GetParent(hookDialog);
        placeOverOwner(fileDialog, GetWindow(fileDialog, GW_OWNER));
    }
    return 0;
}

}  // namespace

std::wstring Win32OpenFileDialog::filterOf(std::string_view filter) {
    std::wstring wide = toWideLossy(filter);
    std::replace(wide.begin(), wide.end(), L'|', L'\0');
    // each text ends in a zero, and the list in one more
    wide.push_back(L'\0');
    wide.push_back(L'\0');
    return wide;
}

Win32OpenFileDialog::Win32OpenFileDialog(std::string_view title, std::string_view filter,
                                         HWND owner, AskForFile askForFile)
    : title_(toWideLossy(title)),
      filter_(filterOf(filter)),
      owner_(owner),
      askForFile_(askForFile) {}

Status Win32OpenFileDialog::Show() {
    // a cancelled dialog reports no file, even after an earlier choice
    fileName_.clear();
    std::wstring chosen(kPathBuffer, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_ != nullptr && IsWindow(owner_) ? owner_ : nullptr;
    dialog.lpstrFilter = filter_.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = chosen.data();
    dialog.nMaxFile = kPathBuffer;
    dialog.lpstrTitle = title_.c_str();
    // OFN_NOCHANGEDIR: otherwise the dialog moves the program's working folder
    dialog.Flags =
        OFN_NOCHANGEDIR | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_EXPLORER | OFN_HIDEREADONLY;
    if (runningUnderWine()) {
        // the file-name box, and the rename box its list of files opens
        holdEditBoxesInSafeFace();
        // only under Wine: on Windows a hook would cost the dialog its modern look
        dialog.Flags |= OFN_ENABLEHOOK | OFN_ENABLESIZING;
        dialog.lpfnHook = placedOverTheWindow;
    }
    const ScopedValue showing(showing_, true);
    if (!askForFile_(&dialog)) {
        const DWORD error = CommDlgExtendedError();
        if (error == 0) {
            return Status::success();
        }
        return Failure{ErrorCode::NotAvailable,
                       failure_text::filled(texts::kFileDialogFailed, {std::to_string(error)})};
    }
    chosen.resize(chosen.find(L'\0'));
    auto path = toUtf8(chosen);
    if (!path) {
        return failure_text::fileChoiceFailed(ErrorCode::InvalidName, toUtf8Lossy(chosen));
    }
    fileName_ = std::move(*path);
    return Status::success();
}

void Win32OpenFileDialog::dismiss() {
    if (showing_) {
        answerOpenDialogWithCancel(owner_ != nullptr && IsWindow(owner_) ? owner_ : nullptr);
    }
}

std::string Win32OpenFileDialog::FileTitle() const {
    const auto separator = fileName_.find_last_of("\\/");
    return separator == std::string::npos ? fileName_ : fileName_.substr(separator + 1);
}

}  // namespace zorvik::win32
