#pragma once

#include <chrono>
#include <string>

#include "platform/interprocess_lock.h"

namespace zorvik::posix {

// flock(2) on a lock file of its own (created when missing, never removed), taken exclusively.
class PosixInterprocessLock final : public InterprocessLock {
public:
    PosixInterprocessLock(std::string lockPath, std::chrono::milliseconds patience)
        : lockPath_(std::move(lockPath)), patience_(patience) {}

    Result<std::unique_ptr<LockHold>> acquire() override;

private:
    std::string lockPath_;
    std::chrono::milliseconds patience_;
};

}  // namespace zorvik::posix
