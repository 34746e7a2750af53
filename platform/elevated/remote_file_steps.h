#pragma once

#include <string>

#include "platform/file_steps.h"
#include "platform/status.h"

namespace zorvik::elevated {

// Carries one request to the elevated process and brings back its answer, or fails when the
// process is gone.
class StepTransport {
public:
    virtual ~StepTransport() = default;
    virtual Result<std::string> exchange(const std::string& request) = 0;
};

// The steps as the user's process asks them of the elevated one. A query stays here, where the
// user's own rights read: only changes cross.
class RemoteFileSteps final : public FileSteps {
public:
    RemoteFileSteps(StepTransport& transport, FileSteps& local)
        : transport_(transport), local_(local) {}

    Result<EntryFacts> inspect(const std::string& path, LinkHandling links) override {
        return local_.inspect(path, links);
    }
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
    StepTransport& transport_;
    FileSteps& local_;
};

// The elevated side: answers one request by carrying out its step on `steps`.
std::string answerStep(FileSteps& steps, std::string_view request);

}  // namespace zorvik::elevated
