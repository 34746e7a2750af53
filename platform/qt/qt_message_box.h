#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <optional>
#include <string>

#include "platform/message_box_service.h"

namespace zorvik {

// Modal Qt message boxes over the window.
class QtMessageBox final : public MessageBoxService {
public:
    explicit QtMessageBox(QWidget* parent) : parent_(parent) {}

    std::optional<int> confirm(std::string_view message, std::string_view title) override;
    std::optional<int> retryOrCancel(std::string_view message, std::string_view title) override;
    void showError(std::string_view message, std::string_view title) override;
    void showNotice(std::string_view message, std::string_view title) override;
    void dismiss() override;

    // The message in lines that Qt draws whole: "\r\n" as its line break, and a long name
    // broken where the box could not break it.
    static QString displayText(std::string_view message);

private:
    // A question with the button `button` (QMessageBox's), the default, giving `answer`, and
    // Cancel, which Escape gives too.
    std::optional<int> ask(int icon, int button, int answer, std::string_view message,
                           std::string_view title);
    void inform(int icon, std::string_view message, std::string_view title);
    int exec(QMessageBox& box);

    QPointer<QWidget> parent_;
    QPointer<QMessageBox> open_;
};

}  // namespace zorvik
