#pragma once

#include <windows.h>

#include <string>

#include "main_window/desktop.h"
#include "main_window/win32/form1_window.h"
#include "platform/platform_services.h"
#include "platform/win32/win32_elevation.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_interprocess_lock.h"
#include "platform/win32/win32_message_box.h"
#include "platform/win32/win32_open_file_dialog.h"
#include "platform/win32/win32_progress.h"
#include "platform/win32/win32_registry.h"
#include "sound/platform_sound_decoder.h"
#include "sound/win32/win32_player.h"

namespace zorvik {

// The platform on Windows (and under Wine): the real files and registry, and the window and its
// boxes in Win32.
class Win32Platform final : public PlatformServices {
public:
    Win32Platform();

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
    ProgressService& progress() override { return progress_; }
    Elevation& elevation() override { return elevation_; }

    gui::Form1Window& window() { return window_; }
    // The boxes and the dialogs stand over the window once it exists.
    void ownDialogsBy(HWND owner);

private:
    win32::Win32FileSystem files_;
    win32::Win32Registry registry_;
    win32::Win32MessageBox box_;
    win32::Win32OpenFileDialog dialog_;
    win32::Win32Player player_;
    std::unique_ptr<sound::SoundDecoder> decoder_ = sound::createPlatformSoundDecoder();
    win32::Win32Progress progress_;
    win32::Win32Elevation elevation_{files_.steps()};
    win32::Win32InterprocessLock ringChoiceLock_{L"Local\\Zorvik.RingChoice",
                                                 kInterprocessLockPatience};
    // last, so that it goes first: nothing it calls on while closing is gone before it
    gui::Form1Window window_;
};

}  // namespace zorvik
