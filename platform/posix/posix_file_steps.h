#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/file_steps.h"
#include "platform/posix/host_errors.h"

namespace zorvik::posix {

// The primitive steps on a POSIX host. A temporary (and a kept-aside file) is held with an
// exclusive flock(2) on its descriptor until it is renamed, removed or let go, so that a sweep
// by another instance leaves it alone.
class PosixFileSteps final : public FileSteps {
public:
    Result<EntryFacts> inspect(const std::string& path, LinkHandling links) override;
    Status checkRemovable(const std::string& path) override;
    Result<std::string> createTemporary(const std::string& folder) override;
    Status writeBlock(const std::string& temporary, std::uint64_t offset,
                      std::span<const char> bytes) override;
    Status writeHole(const std::string& temporary, std::uint64_t offset,
                     std::uint64_t length) override;
    Status finishTemporary(const std::string& temporary, const ContentFacts& facts,
                           bool keepReadOnly) override;
    Status flushTemporary(const std::string& temporary) override;
    Status renameIntoPlace(const std::string& temporary, const std::string& destination) override;
    void removeTemporary(const std::string& temporary) override;
    void letGo(const std::string& temporary) override;
    Status moveInOneStep(const std::string& from, const std::string& to) override;
    Result<KeptAside> keepAside(const std::string& destination, const std::string& kept) override;
    Status putBack(const std::string& kept, const std::string& destination) override;
    Status removeFile(const std::string& path, bool evenReadOnly) override;
    void syncFolder(const std::string& folder) override;
    void removeAbandonedTemporaries(const std::string& folder) override;

private:
    // The descriptor that holds a temporary; -1 when this process holds no such file.
    int held(const std::string& temporary);
    void hold(const std::string& temporary, FileDescriptor descriptor);
    void release(const std::string& temporary);

    std::mutex heldMutex_;
    std::map<std::string, FileDescriptor> held_;
};

// A source for a copy, read through links, with its holes found by SEEK_DATA and SEEK_HOLE.
Result<std::unique_ptr<SourceReader>> openSourceReader(const std::string& path);

}  // namespace zorvik::posix
