#include "main_window/win32/win32_desktop.h"

#include <commctrl.h>

#include <cstdio>

#include "main_window/form1.h"
#include "main_window/form1_layout.h"
#include "platform/win32/application_folder.h"
#include "platform/win32/elevated_mode.h"
#include "platform/win32/wide_text.h"
#include "sound/sound_kinds.h"

namespace zorvik {

Win32Platform::Win32Platform()
    : dialog_(layout::kDialogTitle,
              std::string(layout::kDialogFilter) + sound::convertibleSoundFilters()),
      progress_(layout::kFormCaption) {}

std::string Win32Platform::applicationFolder() const {
    return win32::applicationFolder();
}

void Win32Platform::ownDialogsBy(HWND owner) {
    box_.setOwner(owner);
    elevation_.setOwner(owner);
    dialog_.setOwner(owner);
    progress_.setOwner(owner);
}

namespace {

// How the program was asked to show its window (a shortcut may start it minimised).
int startupShowCommand() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    return (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWNORMAL;
}

class Win32Desktop final : public Desktop {
public:
    PlatformServices& services() override { return platform_; }

    bool open(Form1& form) override {
        gui::Form1Window& window = platform_.window();
        if (Status created = window.create(); !created.ok()) {
            // with no window there is no owner, and perhaps no desktop to show a box on
            const std::string& message = created.failure().message;
            std::fprintf(stderr, "zorvik-melodies: %s\n", message.c_str());
            MessageBoxW(nullptr, win32::toWideLossy(message).c_str(),
                        win32::toWideLossy(layout::kFormCaption).c_str(), MB_OK | MB_ICONERROR);
            return false;
        }
        platform_.ownDialogsBy(window.handle());
        window.attach(form);
        form.Form_Load();
        window.show(startupShowCommand());
        return true;
    }

    int dispatchUntilClosed() override {
        gui::Form1Window& window = platform_.window();
        MSG message{};
        BOOL got = FALSE;
        while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
            window.handleMessage(message);
        }
        // only a failing GetMessageW leaves the window open: it goes while the core still lives
        if (window.handle() != nullptr) {
            DestroyWindow(window.handle());
        }
        return got == 0 ? static_cast<int>(message.wParam) : 1;
    }

private:
    Win32Platform platform_;
};

}  // namespace

std::optional<int> runWithoutWindow(int argc, char** argv) {
    return win32::runElevatedMode(argc, argv);
}

std::unique_ptr<Desktop> createDesktop(int, char**) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    return std::make_unique<Win32Desktop>();
}

}  // namespace zorvik
