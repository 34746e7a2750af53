#include "tests/support/form_driver.h"

#include <algorithm>
#include <stdexcept>

namespace zorvik::testing {

Form1& FormDriver::open(std::string applicationFolder) {
    settings::ShellFactory& factory =
        failShell_ ? static_cast<settings::ShellFactory&>(failingShells) : machineShells();
    form = std::make_unique<Form1>(CoreServices{
        machineFiles(), machineFiles().rights(), box, dialog, player, machineDecoder(), popup,
        factory, machineLock(), progress, machineElevation(), std::move(applicationFolder)});
    form->Form_Load();
    form->Form_Paint();  // the first repaint, as the shown window's
    return *form;
}

sound::SoundDecoder& FormDriver::machineDecoder() {
    if (!fakeDecoder_) {
        fakeDecoder_ = std::make_unique<FakeSoundDecoder>(machineFiles());
    }
    return *fakeDecoder_;
}

void FormDriver::close() {
    form->requestClose();
}

void FormDriver::clickEntry(const std::string& name) {
    const auto& entries = form->File1().entries();
    const auto found = std::find(entries.begin(), entries.end(), name);
    if (found == entries.end()) {
        throw std::runtime_error("the list does not show " + name);
    }
    form->selectEntry(static_cast<std::size_t>(found - entries.begin()));
    form->File1_Click();
}

void FormDriver::confirmed(const std::string& name, void (Form1::*button)()) {
    clickEntry(name);
    box.answer(kAnswerOk);
    ((*form).*button)();
}

void FormDriver::addThroughDialog(const std::string& path) {
    dialog.choose(path);
    box.answer(kAnswerOk);
    form->nm_Click();
}

}  // namespace zorvik::testing
