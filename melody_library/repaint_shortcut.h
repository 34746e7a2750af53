#pragma once

#include <memory>
#include <string_view>

#include "platform/file_system.h"

namespace zorvik {

// Only for speed: spares a repaint the reading of a folder that provably has not changed since
// it was last read. Without it, or where the file system can watch no folder (Windows, a network
// folder, a folder with links among its melodies), every repaint reads the folder, and the list
// shows the same.
class RepaintShortcut {
public:
    explicit RepaintShortcut(const FileSystem& files) : files_(files) {}

    // Called just before `folder` is read, so that a change made while it is read is seen.
    void beforeReading(std::string_view folder) { watch_ = files_.watchFolder(folder); }
    // After a reading that failed: nothing is known of the folder.
    void forget() { watch_.reset(); }
    // Whether the folder last read has provably not changed since.
    bool provesUnchanged() { return watch_ && !watch_->mayHaveChanged(); }

private:
    const FileSystem& files_;
    std::unique_ptr<FolderWatch> watch_;
};

}  // namespace zorvik
