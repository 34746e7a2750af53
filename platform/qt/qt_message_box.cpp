#include "platform/qt/qt_message_box.h"

#include <QMessageBox>
#include <QPushButton>

namespace zorvik {

namespace {

std::deque<std::optional<int>>& queuedAnswers() {
    static std::deque<std::optional<int>> answers;
    return answers;
}

std::vector<std::string>& answered() {
    static std::vector<std::string> messages;
    return messages;
}

// The next queued answer, when there is one.
std::optional<std::optional<int>> takeQueuedAnswer(std::string_view message) {
    auto& answers = queuedAnswers();
    if (answers.empty()) {
        return std::nullopt;
    }
    const auto answer = answers.front();
    answers.pop_front();
    answered().emplace_back(message);
    return answer;
}

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

void QtMessageBox::setNextAnswer(std::optional<int> answer) {
    queuedAnswers().push_back(answer);
}

void QtMessageBox::clearAnswers() {
    queuedAnswers().clear();
    answered().clear();
}

const std::vector<std::string>& QtMessageBox::answeredMessages() {
    return answered();
}

QString QtMessageBox::displayText(std::string_view message) {
    QString text = fromUtf8(message);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

std::optional<int> QtMessageBox::confirm(std::string_view message, std::string_view title) {
    if (auto queued = takeQueuedAnswer(message)) {
        return *queued;
    }
    QMessageBox box(QMessageBox::Question, fromUtf8(title), displayText(message),
                    QMessageBox::Ok | QMessageBox::Cancel, parent_);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok ? kAnswerOk : kAnswerCancel;
}

void QtMessageBox::showError(std::string_view message, std::string_view title) {
    inform(QMessageBox::Critical, message, title);
}

void QtMessageBox::showNotice(std::string_view message, std::string_view title) {
    inform(QMessageBox::Information, message, title);
}

void QtMessageBox::inform(int icon, std::string_view message, std::string_view title) {
    if (takeQueuedAnswer(message)) {
        return;
    }
    QMessageBox box(static_cast<QMessageBox::Icon>(icon), fromUtf8(title), displayText(message),
                    QMessageBox::Ok, parent_);
    box.exec();
}

}  // namespace zorvik
