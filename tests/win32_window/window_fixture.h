#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "main_window/form1.h"
#include "main_window/win32/form1_window.h"
#include "tests/support/form_fixture.h"

namespace zorvik::testing {

// The native window over the in-memory machine, shown on a real desktop (Wine on Xvfb with a
// window manager, in CI), its messages handled as the program's own loop handles them.
class WindowFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Creates the window over the machine, runs the load handler, shows the window and waits
    // until it is the active window. The boxes are the machine's, answered by the test, unless
    // `boxes` are given (the real ones, say).
    Form1& start(MessageBoxService* boxes = nullptr);
    // Handles every message waiting for this thread, through the window.
    void pump();
    // Waits (a few seconds at most) for the desktop to catch up, handling messages meanwhile.
    bool waitFor(const std::function<bool()>& condition);
    // A key pressed and released on the control that has the focus, through the program's loop;
    // `shift` held down meanwhile, and `repeats` more presses marked as a held key's repeats;
    // `extended` for the keypad's Enter.
    void press(WPARAM key, bool shift = false, int repeats = 0, bool extended = false);
    // A left click at the middle of list row `row`, as the list receives it.
    void clickRow(int row);
    void clickBelowTheNames();
    // Makes a repaint due, as a re-activation does, without handling what follows.
    void activateAgain();

    HWND control(std::string_view name) const { return window.control(name); }
    // The design name of a control window, or "" for a window not in the design.
    std::string nameOf(HWND control) const;
    std::string textOf(HWND control) const;
    std::string listText(int row) const;
    int listCount() const;
    int listItemWith(UINT state) const;  // LVNI_SELECTED or LVNI_FOCUSED; -1 for none
    // The control's rectangle in its parent's client area.
    RECT placeOf(HWND control) const;
    // Pixels for twips at the window's DPI, rounded to the nearest.
    int scaled(int twips) const;

    struct Heard {
        bool tabStop;
        std::string name;
    };
    // The window and every control shown in it as a screen reader reads them through MSAA, from
    // another process (zorvik_window_probe, beside this program), by their window handles.
    std::map<HWND, Heard> readByScreenReader();

    FormFixture machine;
    gui::Form1Window window;
    std::unique_ptr<Form1> form;
    bool quitPosted = false;

private:
    static bool desktopAvailable_;
};

}  // namespace zorvik::testing
