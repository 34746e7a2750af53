#include "melody_library/melody_library.h"

#include "platform/install_folder.h"
#include "platform/scoped_value.h"
#include "platform/windows_path.h"
#include "settings/check_state.h"
#include "sound/melody_writer.h"
#include "sound/sound_failures.h"
#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik {

using namespace texts;
using namespace install;

MelodyLibrary::MelodyLibrary(CoreServices services, settings::ShellHolder& shell)
    : services_(std::move(services)),
      shell_(shell),
      list_(services_.files),
      ring_(services_, shell_),
      move_(services_, shell_) {
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
    list_.setPathAtNextRefresh(ringsBelow(services_.applicationFolder));
}

Status MelodyLibrary::a() {
    s_ = winpath::join(list_.Path(), list_.FileName());
    return shell_.reg();
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
    return failure_text::filled(kReplacedLine, {services_.files.displayPath(path)});
}

Status MelodyLibrary::chooseRingMelody() {
    // with nothing marked there is nothing to ask about
    if (list_.FileName().empty()) {
        return Failure{ErrorCode::NothingMarked, std::string(kNothingSelected)};
    }
    // nothing the program cannot play becomes the ring file: the preview's own check, first
    const Status playable = services_.player.check(winpath::join(list_.Path(), list_.FileName()));
    if (!playable.ok()) {
        const Failure& why = playable.failure();
        return failure_text::ringRefused(why.code, list_.FileName(),
                                         why.message.empty() ? reason(why.code) : why.message);
    }
    if (!confirmed(failure_text::filled(kQuestionNamingMelody, {kRingQuestion, list_.FileName()}),
                   kRingTitle)) {
        return Status::success();
    }
    if (Status renewed = a(); !renewed.ok()) {
        return renewed;
    }
    return replaceRingFile(list_.Path(), list_.FileName());
}

Status MelodyLibrary::withRightsOnDemand(std::string_view title,
                                         const std::function<Status()>& action) {
    (void)services_.rights.takeRefusal(install::kFolder);  // older ones are not this action's
    const Status first = action();
    if (first.ok() || first.code() != ErrorCode::AccessDenied ||
        !services_.rights.takeRefusal(install::kFolder) || !services_.elevation.available()) {
        return first;
    }
    const std::string folder = services_.files.displayPath(install::kFolder);
    const std::string question = failure_text::filled(kElevationQuestion, {folder});
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
    services_.rights.routeChangesThrough(&run.steps());
    const ScopeExit back([&] {
        services_.rights.routeChangesThrough(nullptr);
        run.end();
    });
    return action();
}

Status MelodyLibrary::replaceRingFile(const std::string& folder, const std::string& name) {
    return cancelCountsAsSuccess(
        withRightsOnDemand(kRingTitle, [&] { return ring_.replace(s_, folder, name); }));
}

void MelodyLibrary::settleInterruptedWork() {
    // The ring choice first: while its journal names the copy waiting beside the ring file, that
    // copy is no leftover, and the install folder is swept only once nothing names it. A move's
    // journal names only what it kept aside, which no sweep ever takes.
    if (ring_.settleInterrupted().ok()) {
        services_.files.removeAbandonedTemporaries(install::kFolder);
    }
    (void)move_.settleInterrupted();
    removeAbandonedCopies();
}

void MelodyLibrary::removeAbandonedCopies() {
    const std::string folders[] = {
        ringsBelow(services_.applicationFolder),
        deletedBelow(services_.applicationFolder),
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
        result = addChosen(services_.dialog.FileName(), title);
    }
    list_.Refresh();
    return result;
}

Result<sound::MelodySource> MelodyLibrary::examine(const std::string& path) {
    const auto refused = [&](const Failure& why) {
        return failure_text::addRefused(why.code, services_.files.displayPath(path),
                                        why.message.empty() ? reason(why.code) : why.message);
    };
    const auto host = services_.files.hostPath(path);
    if (!host.ok()) {
        return refused(host.failure());
    }
    auto file = services_.files.openToRead(path);
    if (!file.ok()) {
        return refused(file.failure());
    }
    auto source = sound::examineMelodySource(*file.value(), host.value(), services_.decoder);
    if (!source.ok()) {
        return refused(source.failure());
    }
    return source;
}

Status MelodyLibrary::addChosen(const std::string& path, const std::string& title) {
    // what the file is and whether it can become a melody is known before anything is asked
    auto examined = examine(path);
    if (!examined.ok()) {
        return examined.failure();
    }
    std::unique_ptr<sound::DecodedSound> sound = std::move(examined).value().sound;
    const bool converted = sound != nullptr;
    const std::string name = sound::melodyName(title);
    const std::string destination = winpath::join(ringsBelow(services_.applicationFolder), name);
    std::string question = failure_text::filled(kAddQuestion, {title});
    if (converted || name != title) {
        question += failure_text::filled(converted ? kConvertedLine : kRenamedLine, {name});
    }
    // a file chosen in the Rings folder itself is that melody, not a namesake of it
    if (!winpath::samePath(path, destination)) {
        question += replacedLine(destination);
    }
    if (!confirmed(question, kAddTitle)) {
        return Status::success();
    }
    const Status copied = withRightsOnDemand(kAddTitle, [&]() -> Status {
        // a second run (with an administrator's rights) decodes the sound again from its start
        if (converted && sound == nullptr) {
            auto again = examine(path);
            if (!again.ok()) {
                return again.failure();
            }
            sound = std::move(again).value().sound;
        }
        if (sound == nullptr) {
            return copyShowingProgress(services_.files, services_.progress, path, destination);
        }
        sound::MelodyWriter writer(*sound);
        const ScopeExit used([&] { sound.reset(); });
        return copyShowingProgress(services_.files, services_.progress, path, destination, &writer);
    });
    if (copied.ok() || copied.code() != ErrorCode::SameFile) {
        return cancelCountsAsSuccess(copied);
    }
    return Failure{ErrorCode::NothingToDo, failure_text::filled(kAlreadyAdded, {title})};
}

Status MelodyLibrary::showDeletedFolder() {
    if (Status shown = list_.setPath(deletedBelow(services_.applicationFolder)); !shown.ok()) {
        return shown;
    }
    view_ = MelodyView::Deleted;
    return Status::success();
}

namespace {

// a move out of the Deleted view puts the melody back: nothing is deleted
std::string_view moveTitle(MelodyView view) {
    return view == MelodyView::Deleted ? kRestoreTitle : kDeleteTitle;
}

}  // namespace

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
    const std::string_view title = moveTicked ? moveTitle(view_) : kDeleteTitle;
    const auto asks = [&](std::string_view question, const std::string& replaced) {
        return confirmed(failure_text::filled(kQuestionNamingMelody, {question, name}) + replaced,
                         title);
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
    return cancelCountsAsSuccess(
        withRightsOnDemand(kDeleteTitle, [&] { return services_.files.deleteFile(s_); }));
}

Status MelodyLibrary::moveMarked(const std::string& destination) {
    return cancelCountsAsSuccess(move_.move(s_, destination, [&](const auto& action) {
        return withRightsOnDemand(moveTitle(view_), action);
    }));
}

void MelodyLibrary::returnToRingsView() {
    // Where the install folder is missing (a copy run from elsewhere), the Rings folder beside
    // the program keeps the list on a Rings folder, so the caption never lies about the view.
    if (!list_.setPath(kRingsFolder).ok()) {
        showRingsFolder();
    }
    view_ = MelodyView::Rings;
    list_.Refresh();
}

}  // namespace zorvik
