#include "tests/support/test_display.h"

#include <stdio.h>
#include <stdlib.h>

namespace zorvik::testing {

std::string commandOutput(const std::string& command) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, pipe) != nullptr) {
            output += buffer;
        }
        pclose(pipe);
    }
    return output;
}

void pressKey(std::string_view key) {
    commandOutput("xdotool key --clearmodifiers " + std::string(key));
}

std::string whyNoTestDisplay(std::initializer_list<std::string_view> programs) {
    const char* display = getenv("ZORVIK_TEST_DISPLAY");
    if (display == nullptr || *display == '\0') {
        return "no test display: ZORVIK_TEST_DISPLAY is unset (tools/test starts one)";
    }
    setenv("DISPLAY", display, 1);
    if (commandOutput("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null").find("window id") ==
        std::string::npos) {
        return std::string("no window manager (or no xprop) on display ") + display;
    }
    for (const std::string_view program : programs) {
        if (commandOutput("command -v " + std::string(program)).empty()) {
            return std::string(program) + " is needed and is not installed";
        }
    }
    return {};
}

}  // namespace zorvik::testing
