#pragma once

#include <string>

#include "file_transaction/file_rights.h"
#include "platform/elevation.h"
#include "platform/file_system.h"
#include "platform/interprocess_lock.h"
#include "platform/message_box_service.h"
#include "platform/open_file_dialog.h"
#include "platform/popup_menu.h"
#include "platform/progress_service.h"
#include "settings/shell_object.h"
#include "sound/player.h"
#include "sound/sound_decoder.h"

namespace zorvik {

// The machine's services as the window and the melody operations use them: made once, from the
// platform's bundle or a test's fakes, and passed down whole; each part takes what it needs.
struct CoreServices {
    FileSystem& files;
    FileRights& rights;
    MessageBoxService& box;
    OpenFileDialog& dialog;
    Player& player;
    sound::SoundDecoder& decoder;
    PopupMenu& popup;
    settings::ShellFactory& shells;
    // taken by every running copy of the program around the ring file's switch and its record
    InterprocessLock& ringChoiceLock;
    ProgressService& progress;
    Elevation& elevation;
    std::string applicationFolder;  // without a trailing backslash
};

}  // namespace zorvik
