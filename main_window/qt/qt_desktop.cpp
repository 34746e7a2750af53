#include "main_window/qt/qt_desktop.h"

#include <QApplication>

#include "main_window/form1_layout.h"
#include "main_window/qt/bulgarian.h"
#include "main_window/qt/termination_requests.h"
#include "platform/posix/cached_store_reader.h"
#include "platform/posix/host_errors.h"

namespace zorvik {

QtPosixPlatform::QtPosixPlatform()
    : files_(posix::DriveMap::fromEnvironment()),
      // the parse cache only spares the parse of a file read again unchanged
      registry_(posix::defaultSettingsStorePath(), std::make_shared<posix::CachedStoreReader>()),
      // beside the settings, whose record it guards, in the user's own folder
      ringChoiceLock_(posix::hostFolderOf(registry_.storePath()) + "/ring-choice.lock",
                      kInterprocessLockPatience),
      box_(&window_),
      dialog_(&window_, layout::kDialogTitle, layout::kDialogFilter,
              [this](const std::string& host) { return files_.drives().windowsPathOf(host); }),
      player_(files_, window_),
      progress_(&window_, layout::kFormCaption) {}

std::string QtPosixPlatform::applicationFolder() const {
    return posix::applicationFolder(files_.drives());
}

QtProgram::QtProgram()
    : shells_(platform_.settingsStore()), form_(formServicesOf(platform_, shells_)) {
    platform_.window().attach(form_);
}

void QtProgram::start() {
    form_.Form_Load();
    platform_.window().show();
}

namespace {

class QtDesktop final : public Desktop {
public:
    QtDesktop(int& argc, char** argv) : app_(argc, argv) { prepareApplication(app_); }

    PlatformServices& services() override { return platform_; }

    int run(Form1& form) override {
        platform_.window().attach(form);
        // a request to end that comes during the load handler closes the window once shown
        gui::TerminationRequests requests([this] { platform_.window().closeAsTheUser(); });
        form.Form_Load();
        platform_.window().show();
        return QApplication::exec();
    }

private:
    QApplication app_;
    QtPosixPlatform platform_;
};

}  // namespace

std::optional<int> runWithoutWindow(int, char**) {
    return std::nullopt;  // no process here is ever started to act for another
}

std::unique_ptr<Desktop> createDesktop(int argc, char** argv) {
    // QApplication keeps a reference to argc for its whole life
    static int arguments = argc;
    return std::make_unique<QtDesktop>(arguments, argv);
}

}  // namespace zorvik
