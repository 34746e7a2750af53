#pragma once

#include <windows.h>

#include <string>

#include "platform/status.h"

// The channel between the user's process and its elevated one: a local named pipe that the
// user's process creates and the elevated one opens, each message its length and its bytes.
namespace zorvik::win32 {

// How the program is started as the elevated process: the switch, then the pipe's name and the
// id of the process that made it.
inline constexpr char kElevatedModeSwitch[] = "--elevated-file-steps";

// One message written whole, or read whole. `peer`, where given, is the other side's process:
// its end, even without closing the pipe, ends the wait.
Status writeMessage(HANDLE pipe, const std::string& message, HANDLE peer = nullptr);
Result<std::string> readMessage(HANDLE pipe, HANDLE peer = nullptr);

// A handle closed however the scope ends.
class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(HANDLE handle) : handle_(handle) {}
    ~OwnedHandle() { reset(); }
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(other.release()) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE release() { return std::exchange(handle_, nullptr); }
    void reset(HANDLE handle = nullptr) {
        if (valid()) {
            CloseHandle(handle_);
        }
        handle_ = handle;
    }

private:
    HANDLE handle_ = nullptr;
};

}  // namespace zorvik::win32
