#pragma once

#include <string>
#include <string_view>

#include "platform/fixed_text.h"
#include "platform/windows_path.h"

// Where the phone program Zorvik BG is installed, with its ring file and melody folders. The
// texts that name them are written out in full where the program uses them, exactly as here.
namespace zorvik::install {

inline constexpr char kFolder[] = "C:\\Program Files\\Zorvik";
inline constexpr auto kRingFile = joinText(kFolder, "\\Phone.wav");
inline constexpr auto kRingsFolder = joinText(kFolder, "\\Rings");
inline constexpr auto kDeletedFolder = joinText(kFolder, "\\Rings\\Deleted");
// the folders' paths as the list is given them, below the program's own folder (given without
// a trailing backslash)
inline std::string ringsBelow(std::string_view applicationFolder) {
    return std::string(applicationFolder) + "\\Rings";
}
inline std::string deletedBelow(std::string_view applicationFolder) {
    return std::string(applicationFolder) + "\\Rings\\Deleted";
}
// Whether `folder` is a melody folder the program itself names: the install folder's Rings or
// Deleted, or, given the program's own folder, the two below it.
inline bool isMelodyFolder(std::string_view folder, std::string_view applicationFolder = {}) {
    for (const std::string_view place :
         {std::string_view(kRingsFolder), std::string_view(kDeletedFolder)}) {
        if (winpath::samePath(folder, place)) {
            return true;
        }
    }
    return !applicationFolder.empty() &&
           (winpath::samePath(folder, ringsBelow(applicationFolder)) ||
            winpath::samePath(folder, deletedBelow(applicationFolder)));
}
// where a melody's name is joined on to move it
inline constexpr auto kIntoRingsPrefix = joinText(kFolder, "\\Rings\\");
inline constexpr auto kIntoDeletedPrefix = joinText(kFolder, "\\Rings\\Deleted\\");

// The file pattern of the melody list.
inline constexpr char kMelodyPattern[] = "*.wav";

}  // namespace zorvik::install
