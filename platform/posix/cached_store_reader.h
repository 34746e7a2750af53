#pragma once

#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/posix/store_reader.h"

namespace zorvik::posix {

// Only for speed: the settings file parsed once per version of it instead of at every read.
// Without it (PlainStoreReader alone) every read parses the file, with the same results.
//
// A parse is used again only while the file is provably the one it was made from: the same
// device, inode, size, modification and change time, and that version already a grain of the
// file system's clock old when it was read, since a change within the same grain could leave
// all of those as they were.
class CachedStoreReader final : public StoreReader {
public:
    // The clock with which the file system stamps changes, and the grain of the file system
    // that holds an open file (nullopt where a change may go unstamped by this machine).
    using Clock = std::function<timespec()>;
    using Grain = std::function<std::optional<std::chrono::nanoseconds>(int file)>;

    // The kernel's coarse clock and the grain that timestamp_grain.h knows.
    CachedStoreReader();
    CachedStoreReader(Clock clock, Grain grain);

    Result<StoreReading> read(const std::string& path) override;

    // How many times the file was parsed so far, for the tests and benchmarks of the cache.
    std::size_t parses() const { return parses_; }

private:
    struct Version {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};
        bool operator==(const Version& other) const;
    };
    static Version versionOf(const struct stat& info);
    // Whether no later change can leave this version's times as they are.
    bool isSettled(const struct stat& info, const timespec& seenAfter, int file) const;

    Clock clock_;
    Grain grain_;
    std::atomic<std::size_t> parses_ = 0;
    std::mutex mutex_;
    Version keptVersion_;
    std::shared_ptr<const RegDocument> kept_;
};

}  // namespace zorvik::posix
