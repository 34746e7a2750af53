#include "melody_library/melody_library.h"

#include "melody_library/texts.h"
#include "platform/windows_path.h"
#include "settings/conversions.h"
#include "settings/value_names.h"

namespace zorvik {

using namespace melody_texts;

MelodyLibrary::MelodyLibrary(Services services)
    : services_(std::move(services)), list_(services_.files) {}

std::string_view MelodyLibrary::deleteButtonCaption() const {
    return view_ == MelodyView::Rings ? kDeleteCaption : kRestoreCaption;
}

bool MelodyLibrary::confirmed(std::string_view message, std::string_view title) {
    return services_.box.confirm(message, title) == kAnswerOk;
}

Status MelodyLibrary::showRingsFolder() {
    return list_.setPath(services_.applicationFolder + std::string(kRingsFolderBelowApplication));
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
    if (check1State != 0) {
        if (Status played = services_.player.sound(); !played.ok()) {
            return played;
        }
    }
    return recorded;
}

Status MelodyLibrary::chooseRingMelody() {
    if (!confirmed(kRingQuestion, kRingTitle)) {
        return Status::success();
    }
    if (Status renewed = a(); !renewed.ok()) {
        return renewed;
    }
    const std::string name = list_.FileName();
    if (name.empty()) {
        return Failure{ErrorCode::NotFound, std::string(kNothingSelected)};
    }
    // The record follows the ring file: written only once the ring file holds the melody.
    if (Status copied = services_.files.copyFile(s_, kRingFile); !copied.ok()) {
        return copied;
    }
    if (Status folder = settings::writeText(services_.shell, settings::kAudioPath, list_.Path());
        !folder.ok()) {
        return folder;
    }
    return settings::writeText(services_.shell, settings::kRingSound, name);
}

Status MelodyLibrary::addMelody() {
    Status result = services_.dialog.Show();
    const std::string title = result.ok() ? services_.dialog.FileTitle() : std::string();
    if (!title.empty()) {
        std::string question(kAddQuestionStart);
        question += title;
        question += "\r\n";
        question += kAddQuestionEnd;
        if (confirmed(question, kAddTitle)) {
            const std::string destination =
                services_.applicationFolder + std::string(kRingsBelowApplication) + title;
            Status copied = services_.files.copyFile(services_.dialog.FileName(), destination);
            // a melody chosen from the Rings folder itself is already there
            if (!copied.ok() && copied.code() != ErrorCode::SameFile) {
                result = copied;
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
    const Status result = deleteMarkedInView(check2State == 1);
    returnToRingsView();
    return result;
}

Status MelodyLibrary::deleteMarkedInView(bool moveTicked) {
    // Only a melody of the folder on screen is ever touched: s may name one the list no
    // longer shows (clicked before the view changed).
    const std::string name(winpath::fileName(s_));
    if (name.empty() || !winpath::samePath(winpath::folder(s_), list_.Path())) {
        return Status::success();
    }
    if (moveTicked && view_ == MelodyView::Deleted) {
        return move(s_, std::string(kIntoRingsPrefix) + name);
    }
    if (moveTicked) {
        if (!confirmed(kMoveQuestion, kDeleteTitle)) {
            return Status::success();
        }
        return move(s_, std::string(kIntoDeletedPrefix) + name);
    }
    if (!confirmed(kForGoodQuestion, kDeleteTitle)) {
        return Status::success();
    }
    return services_.files.deleteFile(s_);
}

Status MelodyLibrary::move(const std::string& source, const std::string& destination) {
    // the source goes only once its copy is whole at the destination
    if (Status copied = services_.files.copyFile(source, destination); !copied.ok()) {
        return copied;
    }
    return services_.files.deleteFile(source);
}

void MelodyLibrary::returnToRingsView() {
    // Where the install folder is missing (a copy run from elsewhere), the Rings folder beside
    // the program keeps the list on a Rings folder, so the caption never lies about the view.
    if (!list_.setPath(kInstallRingsFolder).ok()) {
        (void)showRingsFolder();
    }
    view_ = MelodyView::Rings;
    list_.Refresh();
}

}  // namespace zorvik
