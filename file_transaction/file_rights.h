#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_steps.h"

namespace zorvik {

class TransactionalFileSystem;

// Whose rights a file system's changes run under: this process's own, or, while routed, an
// elevated process's for one action. Every step passes through here on its way, and a change
// refused for want of rights is noted: there, and only there, an administrator's rights could
// help. A query or a read refused is not noted: the user's own rights must reach what is copied.
class FileRights final : private FileSteps {
public:
    explicit FileRights(TransactionalFileSystem& files) : files_(files) {}

    // The steps a change takes now: the host's own, or those it is routed through.
    FileSteps& changeSteps();
    // Carries out the changes that follow through `steps` (an elevated process), until called
    // with nullptr; queries and reads stay with this process.
    void routeChangesThrough(FileSteps* steps) { routed_ = steps; }
    // Whether, since the last call, a change in or below `folder` was refused for want of rights
    // (not for a read-only file, not for a file in use): one an administrator could make.
    bool takeRefusal(std::string_view folder);
    // A change the system reported done and did not make, as Wine does where Unix refuses.
    void noteRefused(const std::string& hostPath) { refused_ = hostPath; }

private:
    Result<EntryFacts> inspect(const std::string& path, LinkHandling links) override {
        return inner_->inspect(path, links);
    }
    Status checkRemovable(const std::string& path) override {
        return noted(path, inner_->checkRemovable(path));
    }
    Result<std::string> createTemporary(const std::string& folder) override {
        auto made = inner_->createTemporary(folder);
        (void)noted(folder, made.status());
        return made;
    }
    Status writeBlock(const std::string& temporary, std::uint64_t offset,
                      std::span<const char> bytes) override {
        return noted(temporary, inner_->writeBlock(temporary, offset, bytes));
    }
    Status writeHole(const std::string& temporary, std::uint64_t offset,
                     std::uint64_t length) override {
        return noted(temporary, inner_->writeHole(temporary, offset, length));
    }
    Status finishTemporary(const std::string& temporary, const ContentFacts& facts,
                           bool keepReadOnly) override {
        return noted(temporary, inner_->finishTemporary(temporary, facts, keepReadOnly));
    }
    Status flushTemporary(const std::string& temporary) override {
        return noted(temporary, inner_->flushTemporary(temporary));
    }
    Status renameIntoPlace(const std::string& temporary, const std::string& destination) override {
        return noted(destination, inner_->renameIntoPlace(temporary, destination));
    }
    void removeTemporary(const std::string& temporary) override {
        inner_->removeTemporary(temporary);
    }
    void letGo(const std::string& temporary) override { inner_->letGo(temporary); }
    Status moveInOneStep(const std::string& from, const std::string& to) override {
        return noted(to, inner_->moveInOneStep(from, to));
    }
    Result<KeptAside> keepAside(const std::string& destination,
                                const std::string& keptPath) override {
        auto kept = inner_->keepAside(destination, keptPath);
        (void)noted(destination, kept.status());
        return kept;
    }
    Status putBack(const std::string& kept, const std::string& destination) override {
        return noted(destination, inner_->putBack(kept, destination));
    }
    Status removeFile(const std::string& path, bool evenReadOnly) override {
        return noted(path, inner_->removeFile(path, evenReadOnly));
    }
    void syncFolder(const std::string& folder) override { inner_->syncFolder(folder); }
    void removeAbandonedTemporaries(const std::string& folder) override {
        inner_->removeAbandonedTemporaries(folder);
    }

    Status noted(const std::string& path, Status status) {
        if (!status.ok() && status.code() == ErrorCode::AccessDenied) {
            refused_ = path;
        }
        return status;
    }

    TransactionalFileSystem& files_;
    FileSteps* routed_ = nullptr;
    FileSteps* inner_ = nullptr;
    std::optional<std::string> refused_;
};

}  // namespace zorvik
