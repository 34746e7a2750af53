#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_box_service.h"

namespace zorvik::win32 {

// MessageBoxW over the program's window. Tests queue answers with setNextAnswer so that no box
// waits for a person; a queued answer also closes the next error or notice box unshown.
class Win32MessageBox final : public MessageBoxService {
public:
    explicit Win32MessageBox(HWND owner = nullptr) : owner_(owner) {}
    void setOwner(HWND owner) { owner_ = owner; }

    std::optional<int> confirm(std::string_view message, std::string_view title) override;
    std::optional<int> confirmElevation(std::string_view message, std::string_view title) override;
    std::optional<int> retryOrCancel(std::string_view message, std::string_view title) override;
    void showError(std::string_view message, std::string_view title) override;
    void showNotice(std::string_view message, std::string_view title) override;
    void dismiss() override;

    static void setNextAnswer(std::optional<int> answer);
    static void clearAnswers();
    // Every message that a queued answer took, in order, for tests to read.
    static const std::vector<std::string>& answeredMessages();
    // The MB_* style of the last box, queued answers included; for the question whose button
    // bears the shield, kShieldedQuestion.
    static UINT lastStyle();
    static constexpr UINT kShieldedQuestion = 0xFFFFFFFF;

private:
    std::optional<int> show(std::string_view message, std::string_view title, UINT style);

    HWND owner_;
    bool showing_ = false;
};

}  // namespace zorvik::win32
