#include "main_window/qt/qt_desktop.h"

#include <QApplication>

#include "main_window/form1_layout.h"
#include "main_window/qt/bulgarian.h"
#include "platform/posix/host_errors.h"
#include "sound/sound_kinds.h"

namespace zorvik {

QtPosixPlatform::QtPosixPlatform()
    : files_(posix::DriveMap::fromEnvironment()),
      registry_(posix::defaultSettingsStorePath()),
      // beside the settings, whose record it guards, in the user's own folder
      ringChoiceLock_(posix::hostFolderOf(registry_.storePath()) + "/ring-choice.lock",
                      kInterprocessLockPatience),
      box_(&window_),
      dialog_(&window_, layout::kDialogTitle,
              std::string(layout::kDialogFilter) + sound::convertibleSoundFilters(),
              [this](const std::string& host) { return files_.drives().windowsPathOf(host); }),
      player_(files_, window_),
      progress_(&window_, layout::kFormCaption) {}

std::string QtPosixPlatform::applicationFolder() const {
    return posix::applicationFolder(files_.drives());
}

QtDesktop::QtDesktop(int& argc, char** argv) {
    if (QApplication::instance() == nullptr) {
        app_ = std::make_unique<QApplication>(argc, argv);
        prepareApplication(*app_);
    }
    platform_ = std::make_unique<QtPosixPlatform>();
}

bool QtDesktop::open(Form1& form) {
    platform_->window().attach(form);
    // a request to end that comes during the load handler closes the window once shown
    requests_ = std::make_unique<gui::TerminationRequests>(
        [this] { platform_->window().closeUnattended(); });
    // the display gone, Qt ends the program at once, from wherever it is
    exitWhileOpen_ = std::make_unique<gui::ExitWhileOpen>([&form] { form.displayLost(); });
    form.Form_Load();
    platform_->window().show();
    return true;
}

int QtDesktop::dispatchUntilClosed() {
    return QApplication::exec();
}

std::optional<int> runWithoutWindow(int, char**) {
    return std::nullopt;  // no process here is ever started to act for another
}

std::unique_ptr<Desktop> createDesktop(int argc, char** argv) {
    // QApplication keeps a reference to argc for its whole life
    static int arguments = argc;
    return std::make_unique<QtDesktop>(arguments, argv);
}

}  // namespace zorvik
