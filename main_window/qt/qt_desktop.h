#pragma once

#include <QApplication>
#include <memory>

#include "main_window/desktop.h"
#include "main_window/form1.h"
#include "main_window/program.h"
#include "main_window/qt/form1_window.h"
#include "main_window/qt/termination_requests.h"
#include "platform/posix/drive_map.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_interprocess_lock.h"
#include "platform/posix/posix_registry.h"
#include "platform/qt/qt_message_box.h"
#include "platform/qt/qt_open_file_dialog.h"
#include "platform/qt/qt_player.h"
#include "platform/qt/qt_progress.h"
#include "sound/platform_sound_decoder.h"

namespace zorvik {

// The platform on Linux and other POSIX desktops: drive C: and the settings file from the
// environment, and the window and its services in Qt. Needs a QApplication.
class QtPosixPlatform final : public PlatformServices {
public:
    QtPosixPlatform();

    FileSystem& files() override { return files_; }
    FileRights& fileRights() override { return files_.rights(); }
    Registry& settingsStore() override { return registry_; }
    std::string applicationFolder() const override;
    MessageBoxService& messageBox() override { return box_; }
    OpenFileDialog& openFileDialog() override { return dialog_; }
    Player& player() override { return player_; }
    sound::SoundDecoder& soundDecoder() override { return *decoder_; }
    PopupMenu& popupMenu() override { return window_; }
    InterprocessLock& ringChoiceLock() override { return ringChoiceLock_; }
    QtProgress& progress() override { return progress_; }
    // a POSIX host asks no one for rights: a refusal stands
    Elevation& elevation() override { return elevation_; }

    gui::Form1Window& window() { return window_; }
    const posix::DriveMap& drives() const { return files_.drives(); }
    const posix::PosixRegistry& registry() const { return registry_; }

private:
    posix::PosixFileSystem files_;
    posix::PosixRegistry registry_;
    posix::PosixInterprocessLock ringChoiceLock_;
    gui::Form1Window window_;
    QtMessageBox box_;
    QtOpenFileDialog dialog_;
    QtPlayer player_;
    std::unique_ptr<sound::SoundDecoder> decoder_ = sound::createPlatformSoundDecoder();
    QtProgress progress_;
    NoElevation elevation_;
};

// The Qt desktop: the platform above and its event loop. It makes the QApplication where the
// process has none yet (a test or a tool may have made its own).
class QtDesktop final : public Desktop {
public:
    QtDesktop(int& argc, char** argv);

    QtPosixPlatform& services() override { return *platform_; }
    bool open(Form1& form) override;
    int dispatchUntilClosed() override;

    gui::Form1Window& window() { return platform_->window(); }

private:
    // the window goes before the application that draws it
    std::unique_ptr<QApplication> app_;
    std::unique_ptr<QtPosixPlatform> platform_;
    std::unique_ptr<gui::TerminationRequests> requests_;
    std::unique_ptr<gui::ExitWhileOpen> exitWhileOpen_;
};

// The desktop a program runs on, in a build whose desktop is Qt's.
inline QtDesktop& qtDesktopOf(Program& program) {
    return static_cast<QtDesktop&>(program.desktop());
}

}  // namespace zorvik
