// The program's entry: the run time's start-up. It creates the one window, runs its load
// handler before showing it, and ends when the window closes.
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "main_window/desktop.h"
#include "main_window/program.h"

namespace {

#if defined(__unix__) && !defined(__APPLE__)
// An X11 or Wayland desktop: without one the toolkit would only abort.
bool hasDisplay() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}
#else
bool hasDisplay() {
    return true;
}
#endif

}  // namespace

int main(int argc, char** argv) {
    if (const auto served = zorvik::runWithoutWindow(argc, argv)) {
        return *served;
    }
    if (!hasDisplay()) {
        std::fprintf(stderr,
                     "zorvik-melodies: no display (DISPLAY and WAYLAND_DISPLAY are unset). Run it "
                     "on a desktop, or under a virtual display with a screenshot: "
                     "tools/run --virtual-display\n");
        return 1;
    }
    auto desktop = zorvik::createDesktop(argc, argv);
    if (!desktop) {
        return 1;
    }
    return zorvik::Program(std::move(desktop)).run();
}
