#pragma once

#include <sys/stat.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/posix/reg_document.h"
#include "platform/registry.h"

namespace zorvik::posix {

// The current user's registry as one file in the registry editor's format. Every read returns
// what the file holds as it is; every write is a read-modify-write under an exclusive flock(2)
// on the lock file beside it, ending in an atomic rename, so that other processes following the
// same protocol never see a torn file and never lose an update. A file that does not parse is
// kept aside before a write replaces it.
//
// The file is parsed once per version of it: a parse is used again only while the file is
// provably the one it was made from (same device, inode, size, modification and change time),
// and only when that version was already a clock step old when it was read, since a change
// within the same step of the file system's clock could leave all of those as they were.
class PosixRegistry final : public Registry {
public:
    explicit PosixRegistry(std::string storePath);

    Result<RegistryValue> read(std::string_view key, std::string_view valueName) override;

    const std::string& storePath() const { return storePath_; }
    // Whether a key or value name can be written: valid UTF-8 without control characters.
    static bool canHoldName(std::string_view name);
    // Whether a value can be written so that it reads back the same.
    static bool canHoldText(const RegistryValue& value);
    std::string lockPath() const { return storePath_ + ".lock"; }
    // How many times the file was parsed so far, for the tests and benchmarks of the cache.
    std::size_t parses() const { return parses_; }

protected:
    // One locked read-modify-write for all the changes, so they land together or not at all. A
    // read-only store is refused; a symlinked one has the file it points to replaced.
    Status applyChecked(std::string_view key, std::span<const ValueChange> changes) override;

private:
    // The store as it is now: missing, parsed, or not parseable (then `problem` says why).
    struct Snapshot {
        bool exists = false;
        struct stat info {};
        std::shared_ptr<RegDocument> document;  // null when missing or not parseable
        std::string problem;
    };
    // One version of the file, as fstat(2) tells it apart from every other.
    struct Version {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};
        bool operator==(const Version& other) const;
    };
    static Version versionOf(const struct stat& info);

    // The parse last made or written, and the version of the file it was made for.
    struct Kept {
        Version version;
        // The version alone tells that the file still holds these bytes: it was already a
        // clock step old when read. Otherwise the parse is used only where the file's bytes
        // are found to be those it was made from.
        bool provenByVersion = false;
        std::shared_ptr<RegDocument> document;
    };

    // The store as it is now, parsed or taken from the kept parse where that is provably the
    // same; false with `error` set when the file exists but cannot be read.
    bool load(const std::string& path, Snapshot& snapshot, int& error);
    Kept kept();
    void keep(Kept kept);
    // Stops keeping `document`, which is about to change.
    std::shared_ptr<RegDocument> takeKept(const std::shared_ptr<RegDocument>& document);
    // Keeps the memory of a parse that is done with for the next one.
    void recycle(std::shared_ptr<RegDocument> document);

    std::string storePath_;
    std::string folder_;
    std::atomic<std::size_t> parses_ = 0;
    std::mutex cacheMutex_;
    Kept kept_;
    RegDocument::Buffers spare_;
};

}  // namespace zorvik::posix
