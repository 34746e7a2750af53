#pragma once

#include <chrono>
#include <string>

#include "platform/interprocess_lock.h"

namespace zorvik::win32 {

// A named mutex of the session.
class Win32InterprocessLock final : public InterprocessLock {
public:
    Win32InterprocessLock(std::wstring name, std::chrono::milliseconds patience)
        : name_(std::move(name)), patience_(patience) {}

    Result<std::unique_ptr<LockHold>> acquire() override;

private:
    std::wstring name_;
    std::chrono::milliseconds patience_;
};

}  // namespace zorvik::win32
