#pragma once

#include <string>

#include "platform/registry.h"

namespace zorvik::posix {

// The current user's registry as one file in the registry editor's format. Every read parses the
// file as it is; every write is a read-modify-write under an exclusive flock(2) on the lock file
// beside it, ending in an atomic rename, so that other processes following the same protocol
// never see a torn file and never lose an update. A file that does not parse is kept aside
// before a write replaces it.
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

protected:
    // One locked read-modify-write for all the changes, so they land together or not at all. A
    // read-only store is refused; a symlinked one has the file it points to replaced.
    Status applyChecked(std::string_view key, std::span<const ValueChange> changes) override;

private:
    std::string storePath_;
    std::string folder_;
};

}  // namespace zorvik::posix
