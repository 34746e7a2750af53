#include "platform/win32/win32_message_box.h"

#include <commctrl.h>

#include "platform/scoped_value.h"
#include "platform/win32/box_placement.h"
#include "platform/win32/dialog_dismissal.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/wine_held_faces.h"
#include "texts/texts.h"

namespace zorvik::win32 {

std::optional<int> Win32MessageBox::confirm(std::string_view message, std::string_view title) {
    const auto answer = show(message, title, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON1);
    if (!answer) {
        return std::nullopt;
    }
    return *answer == IDOK ? kAnswerOk : kAnswerCancel;
}

namespace {

constexpr int kGoOnButton = 100;

}  // namespace

std::optional<int> Win32MessageBox::confirmElevation(std::string_view message,
                                                     std::string_view title) {
    const HWND owner = owner_ != nullptr && IsWindow(owner_) ? owner_ : nullptr;
    const std::wstring text = forTaskDialog(message);
    const std::wstring caption = toWideLossy(title);
    // the button that goes on to the consent prompt, and Cancel, in the program's own language
    // whatever the system's
    const std::wstring goOn = toWideLossy(texts::kGoOnCaption);
    const std::wstring cancel = toWideLossy(texts::kCancelCaption);
    const TASKDIALOG_BUTTON buttons[] = {{kGoOnButton, goOn.c_str()}, {IDCANCEL, cancel.c_str()}};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.cxWidth = taskDialogWidth();
    config.pszWindowTitle = caption.c_str();
    config.pszMainIcon = TD_SHIELD_ICON;
    config.pszContent = text.c_str();
    config.cButtons = 2;
    config.pButtons = buttons;
    config.nDefaultButton = kGoOnButton;
    config.lpCallbackData = reinterpret_cast<LONG_PTR>(owner);
    config.pfCallback = [](HWND dialog, UINT notification, WPARAM, LPARAM,
                           LONG_PTR ownerData) -> HRESULT {
        if (notification == TDN_CREATED) {
            SendMessageW(dialog, TDM_SET_BUTTON_ELEVATION_REQUIRED_STATE, kGoOnButton, TRUE);
            placeOverOwner(dialog, reinterpret_cast<HWND>(ownerData));
        }
        return S_OK;
    };
    const ScopedValue showing(showing_, true);
    const NextBoxInFaceShowing face(message);
    int pressed = 0;
    if (FAILED(TaskDialogIndirect(&config, &pressed, nullptr, nullptr))) {
        // without the task dialog, the plain question still asks
        const auto answer = show(message, title, MB_OKCANCEL | MB_ICONWARNING | MB_DEFBUTTON1);
        return answer ? std::optional<int>(*answer == IDOK ? kAnswerOk : kAnswerCancel)
                      : std::nullopt;
    }
    return pressed == kGoOnButton ? kAnswerOk : kAnswerCancel;
}

std::optional<int> Win32MessageBox::retryOrCancel(std::string_view message,
                                                  std::string_view title) {
    const auto answer = show(message, title, MB_RETRYCANCEL | MB_ICONWARNING | MB_DEFBUTTON1);
    if (!answer) {
        return std::nullopt;
    }
    return *answer == IDRETRY ? kAnswerRetry : kAnswerCancel;
}

void Win32MessageBox::showError(std::string_view message, std::string_view title) {
    (void)show(message, title, MB_OK | MB_ICONERROR);
}

void Win32MessageBox::showNotice(std::string_view message, std::string_view title) {
    (void)show(message, title, MB_OK | MB_ICONINFORMATION);
}

void Win32MessageBox::dismiss() {
    if (showing_) {
        answerOpenDialogWithCancel(owner_ != nullptr && IsWindow(owner_) ? owner_ : nullptr);
    }
}

std::optional<int> Win32MessageBox::show(std::string_view message, std::string_view title,
                                         UINT style) {
    // A window that is gone cannot own a box; without an owner the box blocks this thread's
    // windows all the same.
    const HWND owner = owner_ != nullptr && IsWindow(owner_) ? owner_ : nullptr;
    const UINT modality = owner != nullptr ? MB_APPLMODAL : MB_TASKMODAL;
    const ScopedValue showing(showing_, true);
    const NextBoxPlacedOverOwner placement(owner);
    const NextBoxInFaceShowing face(message);
    // A text that is not valid UTF-8 is still shown, with U+FFFD where it breaks.
    const int answer = showBox_(owner, brokenForTheScreen(message).c_str(),
                                toWideLossy(title).c_str(), style | modality | MB_SETFOREGROUND);
    if (answer == 0) {
        return std::nullopt;
    }
    return answer;
}

}  // namespace zorvik::win32
