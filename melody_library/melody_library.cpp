#include "melody_library/melody_library.h"

#include "melody_library/texts.h"
#include "platform/failure_text.h"
#include "platform/install_folder.h"
#include "platform/scoped_value.h"
#include "platform/windows_path.h"
#include "settings/check_state.h"
#include "settings/move_journal.h"

namespace zorvik {

using namespace melody_texts;

MelodyLibrary::MelodyLibrary(Services services)
    : services_(std::move(services)),
      list_(services_.files),
      ring_({services_.files, services_.box, services_.shell, services_.ringChoiceLock,
             services_.progress}) {
    // the list marks the melody last clicked whenever it shows the folder that holds it
    list_.setRememberedName([this](std::string_view folder) {
        return winpath::samePath(winpath::folder(s_), folder) ? std::string(winpath::fileName(s_))
                                                              : std::string();
    });
}

std::string_view MelodyLibrary::deleteButtonCaption() const {
    return view_ == MelodyView::Rings ? kDeleteCaption : kRestoreCaption;
}

bool MelodyLibrary::confirmed(std::string_view message, std::string_view title) {
    return services_.box.confirm(message, title) == kAnswerOk;
}

void MelodyLibrary::showRingsFolder() {
    list_.setPathAtNextRefresh(services_.applicationFolder +
                               std::string(kRingsFolderBelowApplication));
}

Status MelodyLibrary::a() {
    s_ = winpath::join(list_.Path(), list_.FileName());
    return services_.shell.reg();
}

Status MelodyLibrary::preview(std::int16_t check1State) {
    // s is recorded before anything can fail, so a melody that will not play is still the one
    // the buttons act on
    const Status recorded = a();
    services_.player.setFileName(s_);
    if (check1State != check_state::kClear) {
        if (Status played = services_.player.sound(); !played.ok()) {
            return played;
        }
    }
    return recorded;
}

std::string MelodyLibrary::replacedLine(std::string_view destination) const {
    const auto existing =
        services_.files.melodyNamed(winpath::folder(destination), winpath::fileName(destination));
    if (!existing) {
        return {};
    }
    const std::string path = winpath::join(winpath::folder(destination), *existing);
    return "\r\n" + std::string(kReplacedStart) +
           failure_text::quoted(services_.files.displayPath(path)) + std::string(kReplacedEnd);
}

Status MelodyLibrary::chooseRingMelody() {
    // with nothing marked there is nothing to ask about
    if (list_.FileName().empty()) {
        return Failure{ErrorCode::NothingMarked, std::string(kNothingSelected)};
    }
    if (!confirmed(kRingQuestion, kRingTitle)) {
        return Status::success();
    }
    if (Status renewed = a(); !renewed.ok()) {
        return renewed;
    }
    return replaceRingFile(list_.Path(), list_.FileName());
}

Status MelodyLibrary::withRightsOnDemand(std::string_view title,
                                         const std::function<Status()>& action) {
    (void)services_.files.takeRightsRefusal(install::kFolder);  // older ones are not this action's
    const Status first = action();
    if (first.ok() || first.code() != ErrorCode::AccessDenied ||
        !services_.files.takeRightsRefusal(install::kFolder) || !services_.elevation.available()) {
        return first;
    }
    const std::string folder = services_.files.displayPath(install::kFolder);
    const std::string question = std::string(kElevationQuestionStart) +
                                 failure_text::quoted(folder) + std::string(kElevationQuestionEnd);
    if (services_.box.confirmElevation(question, title) != kAnswerOk) {
        return Failure{ErrorCode::Cancelled, {}};
    }
    auto elevated = services_.elevation.start();
    if (!elevated.ok()) {
        const Failure& why = elevated.failure();
        // declined at the system's own prompt: the user knows why nothing changed
        return why.code == ErrorCode::Cancelled
                   ? why
                   : failure_text::elevationFailed(why.code, folder, why.message);
    }
    ElevatedRun& run = *elevated.value();
    services_.files.routeChangesThrough(&run.steps());
    const ScopeExit back([&] {
        services_.files.routeChangesThrough(nullptr);
        run.end();
    });
    return action();
}

Status MelodyLibrary::replaceRingFile(const std::string& folder, const std::string& name) {
    const Status replaced =
        withRightsOnDemand(kRingTitle, [&] { return ring_.replace(s_, folder, name); });
    // a user who cancelled has just read why nothing changed
    return replaced.ok() || replaced.code() == ErrorCode::Cancelled ? Status::success() : replaced;
}

Status MelodyLibrary::settleInterruptedRingChoice() {
    return ring_.settleInterrupted();
}

void MelodyLibrary::removeAbandonedCopies() {
    const std::string folders[] = {
        services_.applicationFolder + std::string(kRingsFolderBelowApplication),
        services_.applicationFolder + std::string(kDeletedBelowApplication),
        std::string(install::kRingsFolder),
        std::string(install::kDeletedFolder),
    };
    for (std::size_t at = 0; at < std::size(folders); ++at) {
        // the program in its install folder sees the same two folders twice
        if (at < 2 || !winpath::samePath(folders[at], folders[at - 2])) {
            services_.files.removeAbandonedTemporaries(folders[at]);
        }
    }
}

Status MelodyLibrary::addMelody() {
    Status result = services_.dialog.Show();
    const std::string title = result.ok() ? services_.dialog.FileTitle() : std::string();
    if (!title.empty()) {
        const std::string ringsFolder =
            services_.applicationFolder + std::string(kRingsFolderBelowApplication);
        const std::string destination = winpath::join(ringsFolder, title);
        std::string question(kAddQuestionStart);
        question += title;
        question += "\r\n";
        question += kAddQuestionEnd;
        // a file chosen in the Rings folder itself is that melody, not a namesake of it
        if (!winpath::samePath(winpath::folder(services_.dialog.FileName()), ringsFolder)) {
            question += replacedLine(destination);
        }
        if (confirmed(question, kAddTitle)) {
            Status copied = withRightsOnDemand(kAddTitle, [&] {
                return copyShowingProgress(services_.files, services_.progress,
                                           services_.dialog.FileName(), destination);
            });
            if (!copied.ok() && copied.code() == ErrorCode::Cancelled) {
                // the user who cancelled knows why nothing was added
            } else if (copied.ok() || copied.code() != ErrorCode::SameFile) {
                result = copied;
            } else {
                result = Failure{ErrorCode::NothingToDo,
                                 "Мелодията " + failure_text::quoted(title) +
                                     " вече е в папката с мелодии: няма какво да се добави."};
            }
        }
    }
    list_.Refresh();
    return result;
}

Status MelodyLibrary::showDeletedFolder() {
    if (Status shown =
            list_.setPath(services_.applicationFolder + std::string(kDeletedBelowApplication));
        !shown.ok()) {
        return shown;
    }
    view_ = MelodyView::Deleted;
    return Status::success();
}

Status MelodyLibrary::deleteMarked(std::int16_t check2State) {
    // only a tick counts: a greyed box does not ask for a move
    const Status result = deleteMarkedInView(check2State == check_state::kTicked);
    returnToRingsView();
    return result;
}

Status MelodyLibrary::deleteMarkedInView(bool moveTicked) {
    // Only the melody the list shows marked is ever touched: s may name one the list no longer
    // shows (clicked before the view changed, or gone since).
    const std::string marked = list_.FileName();
    if (marked.empty() || !winpath::samePath(winpath::join(list_.Path(), marked), s_)) {
        return Failure{ErrorCode::NothingMarked, std::string(kNothingMarked)};
    }
    const std::string name(winpath::fileName(s_));
    // each question names the melody it is about, and any it would replace
    const auto asks = [&](std::string_view question, const std::string& replaced) {
        return confirmed(std::string(question) + "\r\n" + failure_text::quoted(name) + replaced,
                         kDeleteTitle);
    };
    if (moveTicked && view_ == MelodyView::Deleted) {
        const std::string destination = std::string(kIntoRingsPrefix) + name;
        const std::string replaced = replacedLine(destination);
        if (!replaced.empty() && !asks(kRestoreQuestion, replaced)) {
            return Status::success();
        }
        return moveMarked(destination);
    }
    if (moveTicked) {
        const std::string destination = std::string(kIntoDeletedPrefix) + name;
        if (!asks(kMoveQuestion, replacedLine(destination))) {
            return Status::success();
        }
        return moveMarked(destination);
    }
    if (!asks(kForGoodQuestion, {})) {
        return Status::success();
    }
    const Status deleted =
        withRightsOnDemand(kDeleteTitle, [&] { return services_.files.deleteFile(s_); });
    return deleted.ok() || deleted.code() == ErrorCode::Cancelled ? Status::success() : deleted;
}

namespace {

// The move's record in the user's registry; a failure to forget it only leaves the next start
// to find the move whole.
class RecordedMove final : public MoveJournal {
public:
    explicit RecordedMove(settings::ShellHolder& shell) : shell_(shell) {}
    Status recordMove(std::string_view source, std::string_view destination) override {
        return settings::kMoveJournal.record(shell_,
                                             {std::string(source), std::string(destination)});
    }
    void forgetMove() override { (void)settings::kMoveJournal.forget(shell_); }

private:
    settings::ShellHolder& shell_;
};

}  // namespace

Status MelodyLibrary::moveMarked(const std::string& destination) {
    // one copy of the program at a time: another's settling could take the source from under
    // a move that is still on its way
    auto hold = services_.ringChoiceLock.acquire();
    if (!hold.ok()) {
        return hold.failure().code == ErrorCode::Busy
                   ? failure_text::moveBusy(services_.files.displayPath(s_))
                   : hold.failure();
    }
    (void)settleMoveUnderLock();
    RecordedMove journal(services_.shell);
    const Status moved = withRightsOnDemand(kDeleteTitle, [&] {
        return moveShowingProgress(services_.files, services_.progress, s_, destination, journal);
    });
    // a user who cancelled the copy of a move across volumes knows why nothing moved
    return moved.ok() || moved.code() == ErrorCode::Cancelled ? Status::success() : moved;
}

Status MelodyLibrary::settleInterruptedMove() {
    // without a journal the start does not wait for the lock, held perhaps through a long copy
    if (const auto pending = settings::kMoveJournal.pending(services_.shell);
        pending.ok() && !pending.value()) {
        return Status::success();
    }
    auto hold = services_.ringChoiceLock.acquire();
    if (!hold.ok()) {
        return hold.status();  // the copy that holds it settles, or the next start
    }
    return settleMoveUnderLock();
}

Status MelodyLibrary::settleMoveUnderLock() {
    auto pending = settings::kMoveJournal.pending(services_.shell);
    if (!pending.ok()) {
        // written by something else than this program: nothing in it can be trusted
        return pending.failure().code == ErrorCode::Corrupt
                   ? settings::kMoveJournal.forget(services_.shell)
                   : Status(pending.failure());
    }
    if (!pending.value()) {
        return Status::success();
    }
    const settings::MoveIntent& move = *pending.value();
    // kept while the move cannot be settled, for the next try
    if (Status settled = services_.files.settleMove(move.source, move.destination); !settled.ok()) {
        return settled;
    }
    return settings::kMoveJournal.forget(services_.shell);
}

void MelodyLibrary::returnToRingsView() {
    // Where the install folder is missing (a copy run from elsewhere), the Rings folder beside
    // the program keeps the list on a Rings folder, so the caption never lies about the view.
    if (!list_.setPath(kInstallRingsFolder).ok()) {
        showRingsFolder();
    }
    view_ = MelodyView::Rings;
    list_.Refresh();
}

}  // namespace zorvik
