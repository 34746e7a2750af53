#include "main_window/form1.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "main_window/form1_layout.h"
#include "settings/conversions.h"
#include "settings/retry_while_held.h"
#include "settings/value_names.h"
#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik {

namespace {

// The melody operations' services: the window's boxes and the progress of its copies go through
// `answers`, which a close answers.
CoreServices answeredThrough(const CoreServices& services, CloseAnswers& answers) {
    return {services.files,  services.rights,    answers,
            services.dialog, services.player,    services.decoder,
            services.popup,  services.shells,    services.ringChoiceLock,
            answers,         services.elevation, services.applicationFolder};
}

}  // namespace

Form1::Form1(CoreServices services)
    : box_(services.box, services.popup, services.dialog, services.progress),
      player_(services.player),
      popup_(services.popup),
      shell_(services.shells),
      library_(answeredThrough(services, box_), shell_),
      text1_(layout::kInitialText),
      text2_(layout::kInitialText) {}

CoreServices coreServicesOf(PlatformServices& platform, settings::ShellFactory& shells) {
    return {platform.files(),          platform.fileRights(),
            platform.messageBox(),     platform.openFileDialog(),
            platform.player(),         platform.soundDecoder(),
            platform.popupMenu(),      shells,
            platform.ringChoiceLock(), platform.progress(),
            platform.elevation(),      platform.applicationFolder()};
}

namespace {

// A fault of the program itself (a broken contract, memory exhausted) must not end it either:
// the user learns of it like of any failure, and the window goes on.
Status runGuarded(const std::function<Status()>& handler) {
    try {
        return handler();
    } catch (const std::exception& fault) {
        return Failure{ErrorCode::Other,
                       failure_text::filled(texts::kInternalFault, {fault.what()})};
    }
}

}  // namespace

void Form1::run(const std::function<Status()>& handler) {
    // events already on their way when the window closed find no window to act on
    if (closed_) {
        return;
    }
    ++handlersRunning_;
    const Status status = runGuarded(handler);
    notify();
    if (!status.ok()) {
        if (isNotice(status.code())) {
            box_.showNotice(status.failure().message, layout::kFormCaption);
        } else {
            box_.showError(status.failure().message, layout::kFormCaption);
        }
    }
    --handlersRunning_;
    if (handlersRunning_ > 0) {
        return;
    }
    if (closeWaiting_ && !closing_) {
        closeNow();
        return;
    }
    runWaitingRepaint();
}

void Form1::requestClose() {
    if (closed_) {
        return;
    }
    if (handlersRunning_ > 0) {
        // a repeated request answers the boxes that have opened since (one that the closing
        // itself opens, say)
        closeWaiting_ = true;
        box_.cancelWhatIsOpen();
        return;
    }
    closeNow();
}

void Form1::requestCloseUnattended() {
    if (!closed_) {
        box_.answerForAnAbsentUser();
    }
    requestClose();
}

void Form1::endSession() {
    box_.answerForAnAbsentUser();
    std::int16_t cancel = 0;
    Form_Unload(cancel);
    requestClose();
}

void Form1::windowDestroyed() {
    if (!closed_) {
        closing_ = true;
        box_.answerForAnAbsentUser();
        unloadUnattended();
    }
}

void Form1::displayLost() {
    if (!closed_) {
        closing_ = true;
        box_.answerWithNoDisplay();
        unloadUnattended();
    }
}

void Form1::unloadUnattended() {
    std::int16_t cancel = 0;
    Form_Unload(cancel);
    closed_ = true;
}

void Form1::closeNow() {
    closing_ = true;
    std::int16_t cancel = 0;
    Form_Unload(cancel);
    closed_ = true;
    if (closeListener_) {
        closeListener_();
    }
}

void Form1::runWaitingRepaint() {
    while (repaintWaiting_) {
        repaintWaiting_ = false;
        ++handlersRunning_;
        library_.File1().Refresh();
        ++repaintsRun_;
        --handlersRunning_;
        notify();
    }
}

void Form1::notify() {
    if (listener_) {
        listener_();
    }
}

void Form1::clickCheckBox(CheckBox& box) {
    box.click();
    notify();
}

FormPicture Form1::picture() const {
    const MelodyList& list = library_.File1();
    return {.check1 = check1_.Value(),
            .check2 = check2_.Value(),
            .text1 = text1_,
            .text2 = text2_,
            .command3Caption = Command3Caption(),
            .view = view(),
            .names = &list.entries(),
            .namesRevision = list.revision(),
            .marked = list.selectedIndex(),
            .place = list.currentIndex()};
}

void Form1::selectEntry(std::optional<std::size_t> index) {
    library_.File1().select(index);
}

void Form1::entryChosen(std::size_t shownRow, std::string_view shownName) {
    const auto& entries = library_.File1().entries();
    std::optional<std::size_t> index;
    if (shownRow < entries.size() && entries[shownRow] == shownName) {
        index = shownRow;
    } else if (const auto moved = std::find(entries.begin(), entries.end(), shownName);
               moved != entries.end()) {
        index = static_cast<std::size_t>(moved - entries.begin());
    }
    if (!index) {
        notify();  // the window draws the list as it is now
        return;
    }
    selectEntry(*index);
    File1_Click();
}

void Form1::readRingSoundIntoTexts() {
    // read anew for each box, as the phone program may change it in between
    if (auto name = settings::readText(shell_, settings::kRingSound); name.ok()) {
        text1_ = std::move(name).value();
    }
    if (auto name = settings::readText(shell_, settings::kRingSound); name.ok()) {
        text2_ = std::move(name).value();
    }
}

void Form1::Form_Load() {
    // Opening never complains: each step that fails is skipped and the control concerned keeps
    // its design-time state.
    run([this] {
        // the first repaint, which follows at once, reads it
        library_.showRingsFolder();
        (void)shell_.reg();
        if (auto state = settings::readOption(shell_, settings::kAudio); state.ok()) {
            (void)check1_.setValue(state.value());
        }
        if (auto state = settings::readOption(shell_, settings::kInDeleted); state.ok()) {
            (void)check2_.setValue(state.value());
        }
        // before the boxes show the record: a choice a killed run left half done is settled
        library_.settleInterruptedWork();
        readRingSoundIntoTexts();
        return Status::success();
    });
}

void Form1::Form_Paint() {
    if (closed_) {
        return;
    }
    repaintWaiting_ = true;
    if (handlersRunning_ == 0) {
        runWaitingRepaint();
    }
}

void Form1::runDueRepaint() {
    if (!std::exchange(repaintDue_, false)) {
        return;
    }
    ++dueRepaintsRun_;
    Form_Paint();
}

void Form1::showing() {
    showingExposures_ = true;
    markRepaintDue();
    runDueRepaint();
}

void Form1::Form_Unload(std::int16_t& Cancel) {
    Cancel = 0;  // closing is never refused
    if (unloaded_) {
        return;
    }
    unloaded_ = true;
    run([this] {
        player_.stop();
        const Status stored = settings::writeRetryingWhileHeld(box_, layout::kFormCaption, [this] {
            return settings::writeOptions(shell_, check1_.Value(), check2_.Value());
        });
        // a user who cancelled has just read why nothing was stored
        return stored.ok() || stored.code() == ErrorCode::Cancelled ? Status::success() : stored;
    });
}

void Form1::File1_Click() {
    run([this] { return library_.preview(check1_.Value()); });
}

void Form1::Command1_Click(PressedWith with) {
    // From the keyboard the user looks at the button, while the pointer may rest anywhere on
    // the screen: the menu opens below the button, as both toolkits open keyboard menus.
    const PopupPlace place{with == PressedWith::Keyboard ? std::string_view("Command1")
                                                         : std::string_view()};
    std::string chosen;
    run([&] {
        chosen = popup_.popup(layout::kMenuName, place);
        return Status::success();
    });
    // the chosen item's handler runs on its own, after the menu's
    if (chosen == layout::kMenuItems[0].name) {
        nm_Click();
    } else if (chosen == layout::kMenuItems[1].name) {
        pd_Click();
    }
}

void Form1::Command2_Click() {
    run([this] {
        const Status chosen = library_.chooseRingMelody();
        // whatever the answer, the boxes show what the settings now hold
        readRingSoundIntoTexts();
        return chosen;
    });
}

void Form1::nm_Click() {
    run([this] { return library_.addMelody(); });
}

void Form1::pd_Click() {
    run([this] { return library_.showDeletedFolder(); });
}

void Form1::Command3_Click() {
    run([this] { return library_.deleteMarked(check2_.Value()); });
}

}  // namespace zorvik
