#pragma once

#include <memory>

#include "main_window/desktop.h"
#include "main_window/form1.h"
#include "settings/shell_object.h"

namespace zorvik {

// The whole program over the desktop the build selected: the window's core wired to that
// desktop's services. The program's entry, its benchmarks and the window's tests start this one
// composition alike.
class Program {
public:
    explicit Program(std::unique_ptr<Desktop> desktop);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Builds the window, runs the load handler and shows the window; false when no window
    // could be made (the reason already shown).
    bool start();
    // start(), then the events until the window has closed: the process's exit code.
    int run();

    Desktop& desktop() { return *desktop_; }
    Form1& form() { return form_; }

private:
    std::unique_ptr<Desktop> desktop_;
    settings::RegistryShellFactory shells_;
    Form1 form_;
};

}  // namespace zorvik
