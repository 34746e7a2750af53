#pragma once

#include <optional>
#include <string>
#include <utility>

#include "platform/file_steps.h"

namespace zorvik {

// Passes every step on and notes where a change was refused for want of rights: there, and only
// there, an administrator's rights could help. A query or a read refused is not noted: the
// user's own rights must reach what is copied.
class RefusalWatch final : public FileSteps {
public:
    void watch(FileSteps& inner) { inner_ = &inner; }
    // The path of the last change refused since the last call, if any.
    std::optional<std::string> takeRefused() { return std::exchange(refused_, std::nullopt); }
    void note(const std::string& path) { refused_ = path; }

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

private:
    Status noted(const std::string& path, Status status) {
        if (!status.ok() && status.code() == ErrorCode::AccessDenied) {
            refused_ = path;
        }
        return status;
    }

    FileSteps* inner_ = nullptr;
    std::optional<std::string> refused_;
};

}  // namespace zorvik
