#pragma once

#include <chrono>
#include <string>

#include "platform/posix/host_errors.h"

namespace zorvik::posix {

// flock(2) on the lock file beside the settings store, created when missing and released with
// this object. It is waited for no longer than a given patience (none at all for zero), since
// the process holding it may have hung or stopped, or hold it on purpose.
class StoreLock {
public:
    enum class Kind { Shared, Exclusive };

    StoreLock(const std::string& lockPath, Kind kind, std::chrono::milliseconds patience);

    bool held() const { return held_; }
    // When not held: EWOULDBLOCK when another process still held it at the end of the
    // patience, otherwise why the lock file could not be used.
    int error() const { return error_; }

private:
    FileDescriptor file_;
    bool held_ = false;
    int error_ = 0;
};

}  // namespace zorvik::posix
