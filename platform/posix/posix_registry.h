#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/posix/store_reader.h"
#include "platform/registry.h"

namespace zorvik::posix {

// The current user's registry as one file in the registry editor's format. Every read returns
// what the file holds as it is; every write is a read-modify-write under an exclusive flock(2)
// on the lock file beside it, ending in an atomic rename, so that other processes following the
// same protocol never see a torn file and never lose an update. Whatever stands at the file's
// place without being a settings file (a file that does not parse, a FIFO, a folder, a link to
// a device, a huge file) fails the reads, and a write sets it aside under a name that says so
// before putting a new file in its place.
class PosixRegistry final : public Registry {
public:
    // How long a write waits for another process's hold on the lock before it gives up with
    // Busy, changing nothing: an honest update holds the lock for milliseconds, a second at
    // most where the disk is slow to flush, and three seconds is about as long as a user waits
    // for a click's answer before thinking the program hung. A read does not wait: without the
    // lock it reads all the same, since every writer puts a whole new file in place with one
    // rename, so the file read is whole either way, as it stood before the holder's update;
    // opening the window is never held up.
    static constexpr std::chrono::milliseconds kWritePatience{3000};

    explicit PosixRegistry(std::string storePath,
                           std::chrono::milliseconds writePatience = kWritePatience);

    Result<RegistryValue> read(std::string_view key, std::string_view valueName) override;

    const std::string& storePath() const { return storePath_; }
    std::string lockPath() const { return storePath_ + ".lock"; }
    // Whether a key or value name can be written: valid UTF-8 without control characters.
    static bool canHoldName(std::string_view name);
    // Whether a value can be written so that it reads back the same.
    static bool canHoldText(const RegistryValue& value);

protected:
    // One locked read-modify-write for all the changes, so they land together or not at all. A
    // read-only store is refused; a symlinked one has the file it points to replaced, where that
    // is a settings file: otherwise the link itself is set aside, and nothing is ever removed
    // or renamed beside what it points to.
    Status applyChecked(std::string_view key, std::span<const ValueChange> changes) override;

private:
    std::string storePath_;
    std::string folder_;
    std::chrono::milliseconds writePatience_;
};

}  // namespace zorvik::posix
