#pragma once

#include <chrono>
#include <memory>

#include "platform/status.h"

namespace zorvik {

// Held while it lives; released when destroyed, or by the system when the holder dies.
class LockHold {
public:
    virtual ~LockHold() = default;
};

// How long a lock held by another copy is waited for before the user is asked: a switch of
// the ring file takes a moment; only a hung copy takes longer.
inline constexpr std::chrono::milliseconds kInterprocessLockPatience{3000};

// A lock that every running copy of the program takes around one step that must not interleave
// with another copy's (the ring file switched together with its record). Its holder can die at
// any moment: the lock then passes on, and the next holder finds whatever was left half done.
class InterprocessLock {
public:
    virtual ~InterprocessLock() = default;
    // Waits a bounded time for another holder; then fails with Busy.
    virtual Result<std::unique_ptr<LockHold>> acquire() = 0;
};

}  // namespace zorvik
