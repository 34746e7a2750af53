#include "platform/win32/elevated_pipe.h"

#include <cstdint>

#include "platform/elevated/step_protocol.h"
#include "platform/win32/win32_errors.h"

namespace zorvik::win32 {

namespace {

// All of `size` bytes through the pipe, overlapped so that the other side's end (or a pipe of
// either kind) is noticed however it comes; a wait longer than `patience` is a broken channel.
bool transfer(HANDLE pipe, bool writing, char* data, DWORD size, HANDLE peer,
              DWORD patience = INFINITE) {
    Handle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!event.valid()) {
        return false;
    }
    while (size > 0) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = event.get();
        DWORD done = 0;
        const BOOL started = writing ? WriteFile(pipe, data, size, &done, &overlapped)
                                     : ReadFile(pipe, data, size, &done, &overlapped);
        if (!started) {
            if (GetLastError() != ERROR_IO_PENDING) {
                return false;
            }
            const HANDLE waits[] = {event.get(), peer};
            const DWORD woke =
                WaitForMultipleObjects(peer != nullptr ? 2 : 1, waits, FALSE, patience);
            if (woke != WAIT_OBJECT_0) {
                CancelIoEx(pipe, &overlapped);
                (void)GetOverlappedResult(pipe, &overlapped, &done, TRUE);
                return false;
            }
        }
        if (!GetOverlappedResult(pipe, &overlapped, &done, TRUE) || done == 0) {
            return false;
        }
        data += done;
        size -= done;
    }
    return true;
}

}  // namespace

Status writeMessage(HANDLE pipe, const std::string& message, HANDLE peer) {
    std::string frame(4, '\0');
    const auto length = static_cast<std::uint32_t>(message.size());
    for (std::size_t byte = 0; byte < 4; ++byte) {
        frame[byte] = static_cast<char>((length >> (8 * byte)) & 0xFF);
    }
    frame += message;
    if (message.size() > elevated::kLargestMessage ||
        !transfer(pipe, true, frame.data(), static_cast<DWORD>(frame.size()), peer)) {
        return elevated::brokenExchange();
    }
    return Status::success();
}

Result<std::string> readMessage(HANDLE pipe, HANDLE peer, DWORD stallPatience) {
    // the next request may be long in coming (a question to the user first); once begun, it
    // comes whole in good time or not at all
    char header[4] = {};
    if (!transfer(pipe, false, header, 1, peer) ||
        !transfer(pipe, false, header + 1, 3, peer, stallPatience)) {
        return elevated::brokenExchange();
    }
    std::uint32_t length = 0;
    for (int byte = 3; byte >= 0; --byte) {
        length = (length << 8) | static_cast<unsigned char>(header[byte]);
    }
    // a length no message has is a broken channel, not an allocation
    if (length > elevated::kLargestMessage) {
        return elevated::brokenExchange();
    }
    std::string message(length, '\0');
    if (length > 0 && !transfer(pipe, false, message.data(), length, peer, stallPatience)) {
        return elevated::brokenExchange();
    }
    return message;
}

}  // namespace zorvik::win32
