#include "main_window/close_answers.h"

namespace zorvik {

namespace {

class CancelledAtOnce final : public CopyProgress {
public:
    bool copied(std::uint64_t, std::uint64_t) override { return false; }
};

}  // namespace

void CloseAnswers::cancelWhatIsOpen() {
    box_.dismiss();
    popup_.dismiss();
    dialog_.dismiss();
    progress_.dismiss();
}

void CloseAnswers::answerForAnAbsentUser() {
    userAbsent_ = true;
    cancelWhatIsOpen();
}

void CloseAnswers::answerWithNoDisplay() {
    userAbsent_ = true;
    progress_.dismiss();
}

std::optional<int> CloseAnswers::confirm(std::string_view message, std::string_view title) {
    return userAbsent_ ? kAnswerCancel : box_.confirm(message, title);
}

std::optional<int> CloseAnswers::confirmElevation(std::string_view message,
                                                  std::string_view title) {
    return userAbsent_ ? kAnswerCancel : box_.confirmElevation(message, title);
}

std::optional<int> CloseAnswers::retryOrCancel(std::string_view message, std::string_view title) {
    return userAbsent_ ? kAnswerCancel : box_.retryOrCancel(message, title);
}

void CloseAnswers::showError(std::string_view message, std::string_view title) {
    if (!userAbsent_) {
        box_.showError(message, title);
    }
}

void CloseAnswers::showNotice(std::string_view message, std::string_view title) {
    if (!userAbsent_) {
        box_.showNotice(message, title);
    }
}

bool CloseAnswers::run(std::string_view doing, const std::function<void(CopyProgress&)>& work) {
    if (!userAbsent_) {
        return progress_.run(doing, work);
    }
    CancelledAtOnce cancelled;
    work(cancelled);
    return false;
}

}  // namespace zorvik
