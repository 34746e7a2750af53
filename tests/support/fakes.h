#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/message_box_service.h"
#include "platform/open_file_dialog.h"
#include "platform/player.h"
#include "platform/popup_menu.h"
#include "settings/shell_object.h"

// Stand-ins for the platform services a person would answer, so the window's handlers run
// headless and every question they ask is recorded.
namespace zorvik::testing {

struct Shown {
    std::string message;
    std::string title;
};

class FakeMessageBox final : public MessageBoxService {
public:
    // Answers given in turn; a question beyond them is answered with Cancel.
    void answer(std::optional<int> next) { answers_.push_back(next); }

    std::optional<int> confirm(std::string_view message, std::string_view title) override {
        questions.push_back({std::string(message), std::string(title)});
        std::optional<int> next = answerer ? answerer() : std::optional<int>(kAnswerCancel);
        if (!answers_.empty()) {
            next = answers_.front();
            answers_.pop_front();
        }
        given.push_back(next);
        return next;
    }
    // Takes its answer from the same queue; unanswered, Cancel.
    std::optional<int> retryOrCancel(std::string_view message, std::string_view title) override {
        retries.push_back({std::string(message), std::string(title)});
        std::optional<int> next = kAnswerCancel;
        if (!answers_.empty()) {
            next = answers_.front();
            answers_.pop_front();
        }
        return next;
    }
    void showError(std::string_view message, std::string_view title) override {
        errors.push_back({std::string(message), std::string(title)});
        if (onError) {
            onError();
        }
    }
    void showNotice(std::string_view message, std::string_view title) override {
        notices.push_back({std::string(message), std::string(title)});
    }

    std::vector<Shown> questions;
    std::vector<std::optional<int>> given;  // the answer to each question, in turn
    std::vector<Shown> retries;
    std::vector<Shown> errors;
    std::vector<Shown> notices;
    // answers questions beyond the queued ones; without it they are answered with Cancel
    std::function<std::optional<int>()> answerer;
    std::function<void()> onError;  // runs while an error box "is open"

private:
    std::deque<std::optional<int>> answers_;
};

class FakeOpenFileDialog final : public OpenFileDialog {
public:
    // The next Show chooses this Windows path; "" cancels.
    void choose(std::string windowsPath) { next_ = std::move(windowsPath); }
    void failNextShow(Failure failure) { failure_ = std::move(failure); }

    Status Show() override {
        ++shows;
        if (failure_) {
            auto failure = std::move(*failure_);
            failure_.reset();
            return failure;
        }
        fileName_ = next_;
        next_.clear();
        return Status::success();
    }
    std::string FileTitle() const override {
        const auto slash = fileName_.find_last_of('\\');
        return slash == std::string::npos ? fileName_ : fileName_.substr(slash + 1);
    }
    std::string FileName() const override { return fileName_; }

    int shows = 0;

private:
    std::string next_;
    std::string fileName_;
    std::optional<Failure> failure_;
};

class FakePlayer final : public Player {
public:
    void setFileName(std::string_view path) override { fileName = path; }
    Status sound() override {
        played.push_back(fileName);
        if (failure) {
            return *failure;
        }
        return Status::success();
    }
    void stop() override { ++stops; }

    std::string fileName;
    std::vector<std::string> played;
    std::optional<Failure> failure;
    int stops = 0;
};

class FakePopupMenu final : public PopupMenu {
public:
    std::string popup(std::string_view menuName) override {
        shownMenus.emplace_back(menuName);
        return std::exchange(nextChoice, std::string());
    }
    std::string nextChoice;
    std::vector<std::string> shownMenus;
};

// A run time where the shell object cannot be created.
class FailingShellFactory final : public settings::ShellFactory {
public:
    Result<std::shared_ptr<settings::ShellObject>> CreateObject(std::string_view) override {
        return Failure{ErrorCode::NotAvailable, "Обектът WScript.Shell не може да бъде създаден."};
    }
};

}  // namespace zorvik::testing
