#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <filesystem>
#include <memory>
#include <string>

#include "main_window/qt/qt_desktop.h"
#include "platform/qt/qt_message_box.h"
#include "tests/support/temp_folder.h"

namespace zorvik::testing {

// The whole program as it starts on a desktop, with drive C: (holding the install folder) and
// the settings store in a folder of its own.
class WindowFixture {
public:
    WindowFixture() {
        std::filesystem::create_directories(rings() / "Deleted");
        setenv("ZORVIK_DRIVE_C", (root / "c").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        QtMessageBox::clearAnswers();
    }
    ~WindowFixture() {
        if (program) {
            window().hide();
        }
        QtMessageBox::clearAnswers();
    }

    std::filesystem::path rings() const {
        return root / "c" / "Program Files" / "Zorvik" / "Rings";
    }
    std::filesystem::path store() const { return root / "config" / "zorvik" / "HKCU.reg"; }
    void writeStore(const std::string& valueLines) {
        std::filesystem::create_directories(store().parent_path());
        writeFile(store(),
                  "Windows Registry Editor Version 5.00\n\n"
                  "[HKEY_CURRENT_USER\\Zorvik\\Setings]\n" +
                      valueLines);
    }

    // Starts the program and waits for its first repaint.
    QtDesktop& start() {
        program = std::make_unique<Program>(createDesktop(0, nullptr));
        program->start();
        waitFor([&] { return window().repaintsRequested() > 0; });
        return desktop();
    }
    QtDesktop& desktop() { return qtDesktopOf(*program); }
    gui::Form1Window& window() { return desktop().window(); }
    QtPosixPlatform& platform() { return desktop().services(); }
    template <typename Condition>
    static bool waitFor(Condition condition, int milliseconds = 3000) {
        QElapsedTimer timer;
        timer.start();
        while (!condition() && timer.elapsed() < milliseconds) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return condition();
    }
    QWidget* control(const char* name) { return window().control(name); }

    TempFolder root;
    std::unique_ptr<Program> program;
};

}  // namespace zorvik::testing
