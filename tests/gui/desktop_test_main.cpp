// The window's tests on a real X server with a real window manager: the display named by
// ZORVIK_TEST_DISPLAY (tools/test starts one with Xvfb and openbox). Without one, they skip.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "main_window/qt/bulgarian.h"
#include "tests/gui/desktop_fixture.h"
#include "tests/support/test_display.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    auto& reason = zorvik::testing::desktopUnavailableReason();
    // real input, and another program's window to make active
    reason = zorvik::testing::whyNoTestDisplay({"xdotool", "xmessage"});
    setenv("QT_QPA_PLATFORM", reason.empty() ? "xcb" : "offscreen", 1);
    QApplication app(argc, argv);
    zorvik::prepareApplication(app);
    return RUN_ALL_TESTS();
}
