#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "platform/file_system.h"
#include "platform/posix/drive_map.h"

namespace zorvik::posix {

// The coarsest step in which the file system holding `fd` stamps a change, when every change to
// it passes through this machine's kernel, so that inotify reports it and this machine's clock
// stamps it. nullopt for network, cluster and user-space file systems, and for any this code
// does not know: there a change can come from elsewhere unseen.
std::optional<std::chrono::nanoseconds> localTimestampGrain(int fd);

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
// nullptr where that cannot be trusted (see localTimestampGrain) or no watch can be set.
std::unique_ptr<FolderWatch> watchHostFolder(const DriveMap& drives, std::string_view folder,
                                             std::shared_ptr<const LinkedFolders> linked);

}  // namespace zorvik::posix
