#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace zorvik::testing {

// Why the tests that need a real X server with a window manager cannot run here ("" when they
// can): the display named by ZORVIK_TEST_DISPLAY (tools/test starts one with Xvfb and openbox),
// a window manager on it, and the programs the tests run. Points DISPLAY at that display.
std::string whyNoTestDisplay(std::initializer_list<std::string_view> programs);

// What a shell command writes to its standard output.
std::string commandOutput(const std::string& command);
// A key pressed and released as a person does, to the active window of the test display, as
// xdotool names keys ("Tab", "Return", "KP_Enter").
void pressKey(std::string_view key);

}  // namespace zorvik::testing
