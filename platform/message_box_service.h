#pragma once

#include <optional>
#include <string_view>

namespace zorvik {

inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerRetry = 4;

// The modal boxes through which the program speaks to the user. (Not "MessageBox": Windows
// headers define that name as a macro.)
class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;

    // The confirmation prompt: a modal question with OK and Cancel. Returns kAnswerOk or
    // kAnswerCancel, or nullopt when the box could not be shown (which counts as no consent).
    virtual std::optional<int> confirm(std::string_view message, std::string_view title) = 0;

    // The same question where going on asks for an administrator's rights: the button that goes
    // on bears the shield, as everywhere on Windows.
    virtual std::optional<int> confirmElevation(std::string_view message, std::string_view title) {
        return confirm(message, title);
    }

    // A failure worth another try (the settings held by another program): a modal box with the
    // warning icon and the buttons Retry and Cancel. Returns kAnswerRetry or kAnswerCancel, or
    // nullopt when the box could not be shown (which counts as Cancel).
    virtual std::optional<int> retryOrCancel(std::string_view message, std::string_view title) = 0;

    // A failure: a modal box with the critical icon and an OK button.
    virtual void showError(std::string_view message, std::string_view title) = 0;

    // A notice (nothing marked, nothing to do): the information icon and an OK button.
    virtual void showNotice(std::string_view message, std::string_view title) = 0;

    // Answers the box that is open, if any, as Cancel (a box with only OK, with OK), as when the
    // window must close while it waits.
    virtual void dismiss() = 0;
};

}  // namespace zorvik
