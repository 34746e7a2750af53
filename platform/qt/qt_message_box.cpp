#include "platform/qt/qt_message_box.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <cstdio>

#include "platform/scoped_value.h"
#include "platform/text_breaks.h"

namespace zorvik {

namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

QString QtMessageBox::displayText(std::string_view message) {
    return fromUtf8(text::brokenForABox(message));
}

std::optional<int> QtMessageBox::confirm(std::string_view message, std::string_view title) {
    return ask(QMessageBox::Question, QMessageBox::Ok, kAnswerOk, message, title);
}

std::optional<int> QtMessageBox::retryOrCancel(std::string_view message, std::string_view title) {
    return ask(QMessageBox::Warning, QMessageBox::Retry, kAnswerRetry, message, title);
}

std::optional<int> QtMessageBox::ask(int icon, int button, int answer, std::string_view message,
                                     std::string_view title) {
    const auto offered = static_cast<QMessageBox::StandardButton>(button);
    QMessageBox box(static_cast<QMessageBox::Icon>(icon), fromUtf8(title), displayText(message),
                    offered | QMessageBox::Cancel, parent_);
    box.setDefaultButton(offered);
    box.setEscapeButton(QMessageBox::Cancel);
    return exec(box) == offered ? answer : kAnswerCancel;
}

void QtMessageBox::showError(std::string_view message, std::string_view title) {
    inform(QMessageBox::Critical, message, title);
}

void QtMessageBox::showNotice(std::string_view message, std::string_view title) {
    inform(QMessageBox::Information, message, title);
}

void QtMessageBox::inform(int icon, std::string_view message, std::string_view title) {
    QMessageBox box(static_cast<QMessageBox::Icon>(icon), fromUtf8(title), displayText(message),
                    QMessageBox::Ok, parent_);
    (void)exec(box);
}

int QtMessageBox::exec(QMessageBox& box) {
    const ScopedValue open(open_, QPointer<QMessageBox>(&box));
    return box.exec();
}

void QtMessageBox::dismiss() {
    if (open_ == nullptr) {
        return;
    }
    if (open_->icon() == QMessageBox::Critical) {
        // no one may be there to read it: it goes where the session keeps its messages
        std::fprintf(stderr, "zorvik-melodies: %s\n", open_->text().toUtf8().constData());
    }
    QAbstractButton* answer = open_->button(QMessageBox::Cancel);
    if (answer == nullptr) {
        answer = open_->button(QMessageBox::Ok);
    }
    if (answer != nullptr) {
        answer->click();
    } else {
        open_->reject();
    }
}

}  // namespace zorvik
