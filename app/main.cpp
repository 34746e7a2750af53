// The program's entry: the run time's start-up. It creates the one window, runs its load
// handler before showing it, and ends when the window closes.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/application.h"
#include "app/bulgarian.h"
#include "main_window/form1_layout.h"

namespace {

bool hasDisplay() {
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (!hasDisplay()) {
        std::fprintf(stderr,
                     "zorvik-melodies: no display (DISPLAY and WAYLAND_DISPLAY are unset). Run it "
                     "on a desktop, or under a virtual display with a screenshot: "
                     "tools/run --virtual-display\n");
        return 1;
    }
    QApplication app(argc, argv);
    zorvik::prepareApplication(app);
    zorvik::Application program;
    program.start();
    return QApplication::exec();
}
