#include "main_window/form1.h"

#include <exception>
#include <utility>

#include "main_window/form1_layout.h"
#include "settings/conversions.h"
#include "settings/retry_while_held.h"
#include "settings/value_names.h"

namespace zorvik {

Form1::Form1(Services services)
    : box_(services.box),
      player_(services.player),
      popup_(services.popup),
      shell_(services.shells),
      library_({services.files, services.box, services.dialog, services.player, shell_,
                std::move(services.applicationFolder)}),
      text1_(layout::kInitialText),
      text2_(layout::kInitialText) {}

Form1::Services formServicesOf(PlatformServices& platform, settings::ShellFactory& shells) {
    return {platform.files(),
            platform.messageBox(),
            platform.openFileDialog(),
            platform.player(),
            platform.popupMenu(),
            shells,
            platform.applicationFolder()};
}

namespace {

// A fault of the program itself (a broken contract, memory exhausted) must not end it either:
// the user learns of it like of any failure, and the window goes on.
Status runGuarded(const std::function<Status()>& handler) {
    try {
        return handler();
    } catch (const std::exception& fault) {
        return Failure{ErrorCode::Other,
                       std::string("Вътрешна грешка на програмата: ") + fault.what() + "."};
    }
}

}  // namespace

void Form1::run(const std::function<Status()>& handler) {
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
    if (handlersRunning_ == 0) {
        runWaitingRepaint();
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

void Form1::selectEntry(std::optional<std::size_t> index) {
    library_.File1().select(index);
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
        (void)library_.showRingsFolder();
        (void)shell_.reg();
        if (auto state = settings::readOption(shell_, settings::kAudio); state.ok()) {
            (void)check1_.setValue(state.value());
        }
        if (auto state = settings::readOption(shell_, settings::kInDeleted); state.ok()) {
            (void)check2_.setValue(state.value());
        }
        readRingSoundIntoTexts();
        return Status::success();
    });
}

void Form1::Form_Paint() {
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

void Form1::Command1_Click() {
    std::string chosen;
    run([&] {
        chosen = popup_.popup(layout::kMenuName);
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
