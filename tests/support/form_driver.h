#pragma once

#include <memory>
#include <string>

#include "main_window/form1.h"
#include "platform/elevation.h"
#include "settings/shell_object.h"
#include "tests/support/fake_sound_decoder.h"
#include "tests/support/fakes.h"

namespace zorvik::testing {

// The window over a machine with the people faked: what every fixture that drives Form1 shares.
// The machine (its files and the shell objects over its settings) comes from the fixture.
class FormDriver {
public:
    virtual ~FormDriver() = default;

    // Creates the window and runs its load handler, as the run time does.
    Form1& open(std::string applicationFolder = "C:\\Program Files\\Zorvik");
    void close();

    void useFailingShellFactory() { failShell_ = true; }
    sound::SoundDecoder& decoder() { return machineDecoder(); }

    // Click the list entry of that name, as the user does: select, then the click handler.
    void clickEntry(const std::string& name);
    // That entry clicked, then Command2 (the ring choice) or Command3 (delete, move or restore)
    // pressed with its question answered OK.
    void chooseRing(const std::string& name) { confirmed(name, &Form1::Command2_Click); }
    void removeEntry(const std::string& name) { confirmed(name, &Form1::Command3_Click); }
    // The file chosen in the dialog of "nm", its question answered OK.
    void addThroughDialog(const std::string& path);

    FailingShellFactory failingShells;
    FakeMessageBox box;
    FakeOpenFileDialog dialog;
    FakePlayer player;
    FakePopupMenu popup;
    FakeInterprocessLock ringLock;
    FakeProgress progress;
    std::unique_ptr<Form1> form;

protected:
    virtual TransactionalFileSystem& machineFiles() = 0;
    virtual settings::ShellFactory& machineShells() = 0;
    // The lock copies of the program share: in memory unless the machine has real ones.
    virtual InterprocessLock& machineLock() { return ringLock; }
    // An administrator's rights: none to give unless the machine has them.
    virtual Elevation& machineElevation() { return noElevation_; }
    // The decoder of sounds other than WAV: the fake one, over the machine's files, unless the
    // machine brings a real one.
    virtual sound::SoundDecoder& machineDecoder();

private:
    void confirmed(const std::string& name, void (Form1::*button)());

    NoElevation noElevation_;
    std::unique_ptr<FakeSoundDecoder> fakeDecoder_;
    bool failShell_ = false;
};

}  // namespace zorvik::testing
