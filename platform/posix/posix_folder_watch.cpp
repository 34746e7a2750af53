#include "platform/posix/posix_folder_watch.h"

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/host_errors.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/timestamp_grain.h"

namespace zorvik::posix {

void LinkedFolders::record(dev_t device, ino_t inode, bool metLink) {
    const std::lock_guard guard(mutex_);
    if (metLink) {
        folders_.emplace(device, inode);
    } else {
        folders_.erase({device, inode});
    }
}

bool LinkedFolders::contains(dev_t device, ino_t inode) const {
    const std::lock_guard guard(mutex_);
    return folders_.contains({device, inode});
}

namespace {

// Everything that changes what a listing shows; the kernel adds overflow, unmount and the end
// of the watch on its own.
constexpr std::uint32_t kListingEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                         IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

class InotifyFolderWatch final : public FolderWatch {
public:
    InotifyFolderWatch(FileDescriptor inotify, const DriveMap& drives, std::string_view folder,
                       const struct stat& watched, std::shared_ptr<const LinkedFolders> linked)
        : inotify_(std::move(inotify)),
          drives_(drives),
          folder_(folder),
          device_(watched.st_dev),
          inode_(watched.st_ino),
          linked_(std::move(linked)) {}

    bool mayHaveChanged() override {
        changed_ = changed_ || eventsArrived() || !pathStillNamesTheFolder() ||
                   linked_->contains(device_, inode_);
        return changed_;
    }

private:
    bool eventsArrived() {
        alignas(inotify_event) char buffer[4096];
        const ssize_t got = ::read(inotify_.get(), buffer, sizeof buffer);
        // nothing to read is the only answer that says nothing happened
        return !(got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK));
    }

    // Paths match ignoring case and may pass through links and mount points, so the same path
    // can come to name another folder while the watched one never changes.
    bool pathStillNamesTheFolder() const {
        const auto host = drives_.resolve(folder_);
        struct stat info {};
        return host.ok() && ::stat(host.value().c_str(), &info) == 0 && info.st_dev == device_ &&
               info.st_ino == inode_;
    }

    FileDescriptor inotify_;
    DriveMap drives_;
    std::string folder_;
    dev_t device_;
    ino_t inode_;
    std::shared_ptr<const LinkedFolders> linked_;
    bool changed_ = false;
};

}  // namespace

std::unique_ptr<FolderWatch> watchHostFolder(const DriveMap& drives, std::string_view folder,
                                             std::shared_ptr<const LinkedFolders> linked) {
    const auto host = drives.resolve(folder);
    if (!host.ok()) {
        return nullptr;
    }
    // The folder is opened first and the watch set on that very folder, so that what is
    // watched and what the path is later compared with are one folder.
    FileDescriptor directory(::open(host.value().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat watched {};
    if (!directory.valid() || ::fstat(directory.get(), &watched) != 0 ||
        !localTimestampGrain(directory.get())) {
        return nullptr;
    }
    FileDescriptor inotify(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!inotify.valid()) {
        return nullptr;  // out of watches: the folder is read every time
    }
    const std::string opened = "/proc/self/fd/" + std::to_string(directory.get());
    if (::inotify_add_watch(inotify.get(), opened.c_str(), kListingEvents) < 0) {
        return nullptr;
    }
    return std::make_unique<InotifyFolderWatch>(std::move(inotify), drives, folder, watched,
                                                std::move(linked));
}

std::unique_ptr<FolderWatch> PosixFileSystem::watchFolder(std::string_view folder) const {
    return watchHostFolder(drives_, folder, linkedFolders_);
}

}  // namespace zorvik::posix
