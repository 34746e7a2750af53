#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/message_box_service.h"

namespace zorvik::win32 {

// MessageBoxW over the program's window.
class Win32MessageBox final : public MessageBoxService {
public:
    // How a box is shown and answered: MessageBoxW, unless a test answers in its place.
    using ShowBox = int(WINAPI*)(HWND owner, LPCWSTR text, LPCWSTR caption, UINT style);

    explicit Win32MessageBox(HWND owner = nullptr, ShowBox showBox = MessageBoxW)
        : owner_(owner), showBox_(showBox) {}
    void setOwner(HWND owner) { owner_ = owner; }

    std::optional<int> confirm(std::string_view message, std::string_view title) override;
    std::optional<int> confirmElevation(std::string_view message, std::string_view title) override;
    std::optional<int> retryOrCancel(std::string_view message, std::string_view title) override;
    void showError(std::string_view message, std::string_view title) override;
    void showNotice(std::string_view message, std::string_view title) override;
    void dismiss() override;

private:
    std::optional<int> show(std::string_view message, std::string_view title, UINT style);

    HWND owner_;
    ShowBox showBox_;
    bool showing_ = false;
};

}  // namespace zorvik::win32
