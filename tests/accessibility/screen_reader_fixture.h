#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "tests/accessibility/screen_reader.h"
#include "tests/support/temp_folder.h"

namespace zorvik::testing {

// A D-Bus session of the tests' own, whose accessibility bus (started on demand by the session,
// as on a desktop) no other program or screen reader on this machine shares. Ending the session
// ends the accessibility bus and its registry too.
class PrivateSession {
public:
    PrivateSession() = default;
    PrivateSession(const PrivateSession&) = delete;
    PrivateSession& operator=(const PrivateSession&) = delete;
    ~PrivateSession();

    // Starts the session and points this process at it; returns why not, or "".
    std::string start();

private:
    pid_t daemon_ = -1;
    TempFolder runtime_;
};

// Why these tests cannot run here ("" when they can): set once by the test program's main.
std::string& screenReaderUnavailableReason();

// The real program on the test display with its accessibility on, heard through AT-SPI from
// this process as a screen reader hears it, and driven by real keys (xdotool).
class ScreenReaderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Lays out an install with the melodies a.wav and Звън.wav in Rings and old.wav in Deleted,
    // starts the program on it and waits until its window is on the bus and active.
    Accessible startProgram();
    // Waits (a few seconds at most) for the program's top-level object of this role and name.
    Accessible topLevel(AtspiRole role, std::string_view name);
    // What last took the keyboard's focus, as a screen reader was told.
    Accessible focused() { return focus_->focused(); }
    static bool waitFor(const std::function<bool()>& condition);

private:
    TempFolder root_;
    pid_t program_ = -1;
    std::optional<FocusWatch> focus_;
};

}  // namespace zorvik::testing
