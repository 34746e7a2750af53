// The window's tests on a real X server with a real window manager: the display named by
// ZORVIK_TEST_DISPLAY (tools/test starts one with Xvfb and openbox). Without one, they skip.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "main_window/qt/bulgarian.h"
#include "tests/gui/desktop_fixture.h"

namespace {

std::string commandOutput(const char* command) {
    std::string output;
    if (FILE* pipe = popen(command, "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe) != nullptr) {
            output += buffer;
        }
        pclose(pipe);
    }
    return output;
}

// "" when a display with a window manager and the input tool can be had.
std::string whyNoDesktop() {
    const char* display = std::getenv("ZORVIK_TEST_DISPLAY");
    if (display == nullptr || *display == '\0') {
        return "no test display: ZORVIK_TEST_DISPLAY is unset (tools/test starts one)";
    }
    setenv("DISPLAY", display, 1);
    if (commandOutput("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null").find("window id") ==
        std::string::npos) {
        return std::string("no window manager (or no xprop) on display ") + display;
    }
    if (commandOutput("command -v xdotool").empty() ||
        commandOutput("command -v xmessage").empty()) {
        return "xdotool and xmessage are needed for real input and another program's window";
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    auto& reason = zorvik::testing::desktopUnavailableReason();
    reason = whyNoDesktop();
    setenv("QT_QPA_PLATFORM", reason.empty() ? "xcb" : "offscreen", 1);
    QApplication app(argc, argv);
    zorvik::prepareApplication(app);
    return RUN_ALL_TESTS();
}
