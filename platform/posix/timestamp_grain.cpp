#include "platform/posix/timestamp_grain.h"

#include <linux/magic.h>
#include <sys/vfs.h>

#include <ctime>

namespace zorvik::posix {

namespace {

// The kernel's coarse clock, with which local file systems stamp changes.
std::chrono::nanoseconds coarseClockStep() {
    timespec step{};
    ::clock_getres(CLOCK_REALTIME_COARSE, &step);
    return std::chrono::seconds(step.tv_sec) + std::chrono::nanoseconds(step.tv_nsec);
}

}  // namespace

std::optional<std::chrono::nanoseconds> localTimestampGrain(int fd) {
    struct statfs info {};
    if (::fstatfs(fd, &info) != 0) {
        return std::nullopt;
    }
    switch (static_cast<unsigned long>(info.f_type)) {
        case EXT4_SUPER_MAGIC:  // ext2 and ext3 too
        case XFS_SUPER_MAGIC:
        case BTRFS_SUPER_MAGIC:
        case TMPFS_MAGIC:
        case RAMFS_MAGIC:
        case F2FS_SUPER_MAGIC:
        case NILFS_SUPER_MAGIC:
        case REISERFS_SUPER_MAGIC:
        case 0x3153464aUL:  // JFS
        case 0x2fc12fc1UL:  // ZFS
        case 0xca451a4eUL:  // bcachefs
        // Changes through the overlay are reported; its lower layers are read-only images.
        case OVERLAYFS_SUPER_MAGIC:
            return coarseClockStep();
        case MSDOS_SUPER_MAGIC:  // vfat: two seconds
        case EXFAT_SUPER_MAGIC:
        case 0x5346544eUL:  // ntfs3
            return std::chrono::seconds(2);
        default:
            return std::nullopt;
    }
}

}  // namespace zorvik::posix
