#pragma once

#include <gtest/gtest.h>

#include <QProcess>
#include <QWidget>
#include <string>

#include "tests/gui/window_fixture.h"

namespace zorvik::testing {

// Why these tests cannot run here ("" when they can): set once by the test program's main.
std::string& desktopUnavailableReason();

// The program's window on a real X server under a real window manager, driven by real input
// (xdotool sends it through the server as a person's mouse and keyboard do).
class DesktopTest : public WindowFixture, public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs xdotool to its end; false when it failed.
    static bool xdotool(const QStringList& arguments);
    // A real click of the left button at a point of a widget.
    static void clickAt(QWidget* widget, QPoint point);
    // Another program's window takes the focus; returns when ours has lost it.
    void activateAnotherProgram();
    // Until `window` is the active, exposed window; false when it never became so.
    static bool waitUntilActive(QWidget& window);
    // Lets every event that is already on its way arrive and be handled.
    static void settle();
    // Another program asks `window` to close with the message the window manager sends for its
    // close button (WM_DELETE_WINDOW).
    static void askToCloseAsTheWindowManagerDoes(unsigned long window);
    // A row's close, while a dialog is open, through the X server.
    void askToClose() override { askToCloseAsTheWindowManagerDoes(window().winId()); }

private:
    QProcess another_;
};

}  // namespace zorvik::testing
