#pragma once

#include <sys/types.h>

#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "platform/file_system.h"
#include "platform/posix/drive_map.h"

// Only for speed: a repaint skips the reading of a folder that a watch proves unchanged; without
// a watch every repaint reads the folder, and the list shows the same.
namespace zorvik::posix {

// The folders whose last listing met a symbolic link among the melodies. Where a link points
// can change without any change in the folder, so a watch of such a folder is never trusted.
class LinkedFolders {
public:
    void record(dev_t device, ino_t inode, bool metLink);
    bool contains(dev_t device, ino_t inode) const;

private:
    mutable std::mutex mutex_;
    std::set<std::pair<dev_t, ino_t>> folders_;
};

// Watches the folder that a Windows-form path names, with inotify, for whatever a listing of it
// could show: an entry added, removed, renamed or changed in kind, the folder itself moved,
// removed or unmounted, the path now naming another folder, or a link met by the listing.
// nullptr where that cannot be trusted (see localTimestampGrain in timestamp_grain.h) or no watch
// can be set.
std::unique_ptr<FolderWatch> watchHostFolder(const DriveMap& drives, std::string_view folder,
                                             std::shared_ptr<const LinkedFolders> linked);

}  // namespace zorvik::posix
