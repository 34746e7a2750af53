#pragma once

#include <memory>

#include "main_window/form1.h"
#include "main_window/qt/form1_window.h"
#include "platform/posix/drive_map.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_registry.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_open_file_dialog.h"
#include "platform/qt/qt_player.h"
#include "settings/shell_object.h"

namespace zorvik {

// The program wired together on this platform: drive C: and the settings store from the
// environment, the window, and the core between them. Needs a QApplication.
class Application {
public:
    Application();

    // Runs the load handler, then shows the window.
    void start();

    gui::Form1Window& window() { return window_; }
    Form1& form() { return form_; }
    const posix::DriveMap& drives() const { return files_.drives(); }
    const posix::PosixRegistry& registry() const { return registry_; }

private:
    posix::PosixFileSystem files_;
    posix::PosixRegistry registry_;
    settings::RegistryShellFactory shells_;
    gui::Form1Window window_;
    QtMessageBox box_;
    QtOpenFileDialog dialog_;
    QtPlayer player_;
    Form1 form_;
};

}  // namespace zorvik
