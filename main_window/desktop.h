#pragma once

#include <memory>
#include <optional>

#include "platform/platform_services.h"

namespace zorvik {

class Form1;

// The run time's start-up on one platform: its services, and the window that shows Form1 and
// dispatches the user's events to it. The build selects one implementation (Qt Widgets over
// POSIX, or native Win32); the program's entry never learns which.
class Desktop {
public:
    virtual ~Desktop() = default;

    virtual PlatformServices& services() = 0;

    // Builds the window over `form`, runs its load handler while the window is hidden and shows
    // it. False when no window could be made, the reason already shown.
    virtual bool open(Form1& form) = 0;
    // Dispatches events until the window has closed. Returns the process's exit code.
    virtual int dispatchUntilClosed() = 0;
};

// The program started in a mode without a window (on Windows, as the elevated process that
// makes an action's changes in the install folder): runs it and gives its exit code. nullopt
// for the program with its window.
std::optional<int> runWithoutWindow(int argc, char** argv);

// nullptr when the platform cannot start (no display, say); the reason is already reported.
std::unique_ptr<Desktop> createDesktop(int argc, char** argv);

}  // namespace zorvik
