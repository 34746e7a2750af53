#pragma once

#include <optional>
#include <string_view>

namespace zorvik {

inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;

class MessageBox {
public:
    virtual ~MessageBox() = default;

    // The confirmation prompt: a modal question with OK and Cancel. Returns kAnswerOk or
    // kAnswerCancel, or nullopt when the box could not be shown (which counts as no consent).
    virtual std::optional<int> confirm(std::string_view message, std::string_view title) = 0;

    // A modal box with an error icon and an OK button.
    virtual void showError(std::string_view message, std::string_view title) = 0;
};

}  // namespace zorvik
