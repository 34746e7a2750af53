#include "platform/win32/win32_open_file_dialog.h"

#include <commdlg.h>
#include <dlgs.h>

#include <algorithm>

#include "platform/failure_text.h"
#include "platform/scoped_value.h"
#include "platform/texts.h"
#include "platform/win32/box_placement.h"
#include "platform/win32/dialog_dismissal.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/wine_edit_face.h"

namespace zorvik::win32 {

namespace {

std::optional<std::string>& nextFileName() {
    static std::optional<std::string> next;
    return next;
}

// Room for a path as long as Windows allows, not only MAX_PATH.
constexpr DWORD kPathBuffer = 32768;

// Under Wine, the file-name box, an edit box the dialog fills with the name clicked, would shape
// that name in the dialog's face, which can end the program: it gets a face Wine shapes safely.
// The hook's own dialog is a child of the open-file dialog; its lCustData holds where the new
// face is kept until the dialog has gone.
UINT_PTR CALLBACK safeFileNameFace(HWND hookDialog, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_NOTIFY && reinterpret_cast<const NMHDR*>(lParam)->code == CDN_INITDONE) {
        // laid out now: over the window, and wholly on the screen
        const HWND fileDialog = GetParent(hookDialog);
        placeOverOwner(fileDialog, GetWindow(fileDialog, GW_OWNER));
        return 0;
    }
    if (message != WM_INITDIALOG) {
        return 0;
    }
    const auto& dialog = *reinterpret_cast<const OPENFILENAMEW*>(lParam);
    auto& kept = *reinterpret_cast<HFONT*>(dialog.lCustData);
    const HWND fileDialog = GetParent(hookDialog);
    for (const int id : {edt1, cmb13}) {
        const HWND box = GetDlgItem(fileDialog, id);
        if (box == nullptr) {
            continue;
        }
        if (kept == nullptr) {
            kept = inWineSafeEditFace(reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
        }
        if (kept != nullptr) {
            SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(kept), TRUE);
            // a combo box's text is an edit box of its own
            if (const HWND edit = FindWindowExW(box, nullptr, L"Edit", nullptr)) {
                SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(kept), TRUE);
            }
        }
    }
    return 0;
}

}  // namespace

void Win32OpenFileDialog::setNextFileName(std::optional<std::string> path) {
    nextFileName() = std::move(path);
}

std::wstring Win32OpenFileDialog::filterOf(std::string_view filter) {
    std::wstring wide = toWideLossy(filter);
    std::replace(wide.begin(), wide.end(), L'|', L'\0');
    // each text ends in a zero, and the list in one more
    wide.push_back(L'\0');
    wide.push_back(L'\0');
    return wide;
}

Win32OpenFileDialog::Win32OpenFileDialog(std::string_view title, std::string_view filter,
                                         HWND owner)
    : title_(toWideLossy(title)), filter_(filterOf(filter)), owner_(owner) {}

Status Win32OpenFileDialog::Show() {
    // a cancelled dialog reports no file, even after an earlier choice
    fileName_.clear();
    if (auto next = std::exchange(nextFileName(), std::nullopt)) {
        fileName_ = std::move(*next);
        return Status::success();
    }
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
    HFONT safeFace = nullptr;
    const ScopeExit dropSafeFace([&safeFace] {
        if (safeFace != nullptr) {
            DeleteObject(safeFace);
        }
    });
    if (!wineSafeEditFace().empty()) {
        // only under Wine: on Windows a hook would cost the dialog its modern look
        dialog.Flags |= OFN_ENABLEHOOK | OFN_ENABLESIZING;
        dialog.lpfnHook = safeFileNameFace;
        dialog.lCustData = reinterpret_cast<LPARAM>(&safeFace);
    }
    const ScopedValue showing(showing_, true);
    if (!GetOpenFileNameW(&dialog)) {
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
