#pragma once

#include <string>

#include "platform/elevation.h"
#include "platform/file_system.h"
#include "platform/interprocess_lock.h"
#include "platform/message_box_service.h"
#include "platform/open_file_dialog.h"
#include "platform/popup_menu.h"
#include "platform/progress_service.h"
#include "platform/registry.h"
#include "sound/player.h"
#include "sound/sound_decoder.h"

namespace zorvik {

class FileRights;  // the transaction's, which each platform's file system owns

// Everything the program needs from the machine it runs on, as one bundle. Each platform makes
// one (on Windows the real registry and files, elsewhere drive C: and a settings file); the core
// never learns which.
class PlatformServices {
public:
    virtual ~PlatformServices() = default;

    virtual FileSystem& files() = 0;
    // Whose rights the changes of files() run under.
    virtual FileRights& fileRights() = 0;
    virtual Registry& settingsStore() = 0;
    // The folder that holds the program, in Windows form without a trailing backslash.
    virtual std::string applicationFolder() const = 0;
    virtual MessageBoxService& messageBox() = 0;
    virtual OpenFileDialog& openFileDialog() = 0;
    virtual Player& player() = 0;
    // The platform's own decoders, through which any other sound than a WAV becomes a melody.
    virtual sound::SoundDecoder& soundDecoder() = 0;
    virtual PopupMenu& popupMenu() = 0;
    // Taken by every running copy of the program around the ring file's switch and its record.
    virtual InterprocessLock& ringChoiceLock() = 0;
    // Where a copy runs that may take long.
    virtual ProgressService& progress() = 0;
    // An administrator's rights for one action, where the system has them to give.
    virtual Elevation& elevation() = 0;
};

}  // namespace zorvik
