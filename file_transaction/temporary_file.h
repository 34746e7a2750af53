#pragma once

#include <string>
#include <utility>

#include "platform/file_steps.h"

namespace zorvik {

// A temporary file of a transaction, or an older namesake kept aside: removed when it goes out
// of scope, unless it was handed over (renamed into place, which ends the hold) or left on disk
// on purpose (the only copy left of something).
class TemporaryFile {
public:
    TemporaryFile() = default;
    TemporaryFile(FileSteps& steps, std::string path) : steps_(&steps), path_(std::move(path)) {}
    TemporaryFile(TemporaryFile&& other) noexcept
        : steps_(other.steps_), path_(std::exchange(other.path_, {})) {}
    TemporaryFile& operator=(TemporaryFile&& other) noexcept {
        std::swap(steps_, other.steps_);
        std::swap(path_, other.path_);
        return *this;
    }
    ~TemporaryFile() {
        if (!path_.empty()) {
            steps_->removeTemporary(path_);
        }
    }

    const std::string& path() const { return path_; }
    bool empty() const { return path_.empty(); }
    // It is somewhere else now: the step that moved it ended the hold.
    void handedOver() { path_.clear(); }
    // It stays where it is, no longer held.
    void leaveOnDisk() {
        if (!path_.empty()) {
            steps_->letGo(std::exchange(path_, {}));
        }
    }

private:
    FileSteps* steps_ = nullptr;
    std::string path_;
};

}  // namespace zorvik
