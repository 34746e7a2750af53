#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/message_box_service.h"

namespace zorvik {

// Modal Qt message boxes over the window. Tests queue answers with setNextAnswer so that no box
// waits for a person; a queued answer also closes the next error box unshown.
class QtMessageBox final : public MessageBoxService {
public:
    explicit QtMessageBox(QWidget* parent) : parent_(parent) {}

    std::optional<int> confirm(std::string_view message, std::string_view title) override;
    std::optional<int> retryOrCancel(std::string_view message, std::string_view title) override;
    void showError(std::string_view message, std::string_view title) override;
    void showNotice(std::string_view message, std::string_view title) override;
    void dismiss() override;

    static void setNextAnswer(std::optional<int> answer);
    static void clearAnswers();
    // Every message that a queued answer took, in order, for tests to read.
    static const std::vector<std::string>& answeredMessages();

    // The message in lines that Qt draws whole: "\r\n" as its line break, and a long name
    // broken where the box could not break it.
    static QString displayText(std::string_view message);

private:
    // A question with the button `button` (QMessageBox's), the default, giving `answer`, and
    // Cancel, which Escape gives too; a queued answer stands in for the user's.
    std::optional<int> ask(int icon, int button, int answer, std::string_view message,
                           std::string_view title);
    void inform(int icon, std::string_view message, std::string_view title);
    int exec(QMessageBox& box);

    QPointer<QWidget> parent_;
    QPointer<QMessageBox> open_;
};

}  // namespace zorvik
