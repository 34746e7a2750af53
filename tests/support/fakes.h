#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/interprocess_lock.h"
#include "platform/message_box_service.h"
#include "platform/open_file_dialog.h"
#include "platform/popup_menu.h"
#include "platform/progress_service.h"
#include "settings/shell_object.h"
#include "sound/player.h"
#include "texts/failure_text.h"

// Stand-ins for the platform services a person would answer, so the window's handlers run
// headless and every question they ask is recorded.
namespace zorvik::testing {

struct Shown {
    std::string message;
    std::string title;
};

// What the modal stand-ins share: `whileOpen` runs while one is open, as the program's other
// events run under a real box, and a dismissal meanwhile answers it as Cancel.
class FakeModal {
public:
    std::function<void()> whileOpen;
    int dismissals = 0;  // how often the program asked, open or not

protected:
    // Opens, lets the events meanwhile run, closes; true when it was dismissed meanwhile.
    bool openAndWait() {
        const bool outer = open_;
        open_ = true;
        dismissed_ = false;
        // a copy: the events may replace it meanwhile
        if (const auto events = whileOpen) {
            events();
        }
        const bool dismissed = dismissed_;
        open_ = outer;
        dismissed_ = false;
        return dismissed;
    }
    void dismissOpen() {
        ++dismissals;
        dismissed_ = dismissed_ || open_;
    }

private:
    bool open_ = false;
    bool dismissed_ = false;
};

class FakeMessageBox final : public MessageBoxService, public FakeModal {
public:
    // Answers given in turn; a question beyond them is answered with Cancel.
    void answer(std::optional<int> next) { answers_.push_back(next); }

    std::optional<int> confirm(std::string_view message, std::string_view title) override {
        questions.push_back({std::string(message), std::string(title)});
        std::optional<int> next = queued(answerer ? answerer() : std::optional<int>(kAnswerCancel));
        if (openAndWait()) {
            next = kAnswerCancel;
        }
        given.push_back(next);
        return next;
    }
    // Asked and answered as any question, and counted: its button bears the shield.
    std::optional<int> confirmElevation(std::string_view message, std::string_view title) override {
        ++shielded;
        return confirm(message, title);
    }
    // Takes its answer from the same queue; unanswered, Cancel.
    std::optional<int> retryOrCancel(std::string_view message, std::string_view title) override {
        retries.push_back({std::string(message), std::string(title)});
        return queued(kAnswerCancel);
    }
    void showError(std::string_view message, std::string_view title) override {
        errors.push_back({std::string(message), std::string(title)});
        (void)openAndWait();
    }
    void showNotice(std::string_view message, std::string_view title) override {
        notices.push_back({std::string(message), std::string(title)});
        (void)openAndWait();
    }
    void dismiss() override { dismissOpen(); }

    std::vector<Shown> questions;
    std::vector<std::optional<int>> given;  // the answer to each question, in turn
    int shielded = 0;                       // how many of the questions asked for rights
    std::vector<Shown> retries;
    std::vector<Shown> errors;
    std::vector<Shown> notices;
    // answers questions beyond the queued ones; without it they are answered with Cancel
    std::function<std::optional<int>()> answerer;

private:
    std::optional<int> queued(std::optional<int> otherwise) {
        if (answers_.empty()) {
            return otherwise;
        }
        const std::optional<int> next = answers_.front();
        answers_.pop_front();
        return next;
    }
    std::deque<std::optional<int>> answers_;
};

class FakeOpenFileDialog final : public OpenFileDialog, public FakeModal {
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
        fileName_ = openAndWait() ? std::string() : next_;
        next_.clear();
        return Status::success();
    }
    void dismiss() override { dismissOpen(); }
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
    Status check(std::string_view path) override {
        checked.emplace_back(path);
        return refusal ? Status(*refusal) : Status::success();
    }
    void stop() override { ++stops; }

    std::string fileName;
    std::vector<std::string> played;
    std::vector<std::string> checked;
    std::optional<Failure> failure;
    std::optional<Failure> refusal;  // what check() says, a reason only
    int stops = 0;
};

// The lock every running copy of the program takes, which another copy may hold as the test
// says. Taking it twice without letting go is a fault: a real copy would wait for itself.
class FakeInterprocessLock final : public InterprocessLock {
public:
    Result<std::unique_ptr<LockHold>> acquire() override {
        if (heldElsewhere) {
            return failure_text::ringChoiceBusy();
        }
        if (held_) {
            return Failure{ErrorCode::Other, "the lock was taken twice by one copy"};
        }
        held_ = true;
        return std::unique_ptr<LockHold>(std::make_unique<Hold>(held_));
    }

    bool heldElsewhere = false;

private:
    struct Hold final : LockHold {
        explicit Hold(bool& held) : held_(held) {}
        ~Hold() override { held_ = false; }
        bool& held_;
    };
    bool held_ = false;
};

class FakePopupMenu final : public PopupMenu, public FakeModal {
public:
    std::string popup(std::string_view menuName, PopupPlace place) override {
        shownMenus.emplace_back(menuName);
        shownBelow.emplace_back(place.belowControl);
        const std::string choice = std::exchange(nextChoice, std::string());
        return openAndWait() ? std::string() : choice;
    }
    void dismiss() override { dismissOpen(); }

    std::string nextChoice;
    std::vector<std::string> shownMenus;
    std::vector<std::string> shownBelow;  // "" where a menu opened at the pointer
};

// The copy runs at once, on the caller's thread, as a dialog that never had to show; `whileOpen`
// runs at its first report, as the window's events run under the real dialog. A dismissal
// meanwhile, or `cancelAt`, answers that report as the dialog's Cancel; `cancelAfterTheWork`
// cancels once the work has ended, as a Cancel clicked while the copy was being flushed.
class FakeProgress final : public ProgressService, public FakeModal {
public:
    bool run(std::string_view doing, const std::function<void(CopyProgress&)>& work) override {
        said.emplace_back(doing);
        Reports reports(*this);
        work(reports);
        if (cancelAfterTheWork) {
            ++cancels;
            return false;
        }
        return !reports.cancelled;
    }
    void dismiss() override { dismissOpen(); }

    std::optional<std::uint64_t> cancelAt;  // the first report of this many bytes or more
    bool cancelAfterTheWork = false;
    std::vector<std::string> said;  // what each run's dialog said it did
    int cancels = 0;

private:
    struct Reports final : CopyProgress {
        explicit Reports(FakeProgress& owner) : owner_(owner) {}
        bool copied(std::uint64_t done, std::uint64_t) override {
            const bool dismissed = !asked_ && owner_.openAndWait();
            asked_ = true;
            if (dismissed || (owner_.cancelAt && done >= *owner_.cancelAt)) {
                ++owner_.cancels;
                cancelled = true;
            }
            return !cancelled;
        }
        FakeProgress& owner_;
        bool asked_ = false;
        bool cancelled = false;
    };
};

// A run time where the shell object cannot be created.
class FailingShellFactory final : public settings::ShellFactory {
public:
    Result<std::shared_ptr<settings::ShellObject>> CreateObject(std::string_view) override {
        return Failure{ErrorCode::NotAvailable, "Обектът WScript.Shell не може да бъде създаден."};
    }
};

}  // namespace zorvik::testing
