#include "platform/win32/elevated_pipe.h"

#include <cstdint>

#include "platform/elevated/step_protocol.h"
#include "platform/win32/win32_errors.h"

namespace zorvik::win32 {

namespace {

constexpr ULONGLONG kNoDeadline = 0;

// How long a wait may still take before `deadline` (GetTickCount64's), none past it.
DWORD patienceUntil(ULONGLONG deadline) {
    if (deadline == kNoDeadline) {
        return INFINITE;
    }
    const ULONGLONG now = GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

// All of `size` bytes through the pipe, overlapped so that the other side's end (or a pipe of
// either kind) is noticed however it comes; still waiting at `deadline` is a broken channel,
// however many bytes came meanwhile.
bool transfer(HANDLE pipe, bool writing, char* data, DWORD size, HANDLE peer,
              ULONGLONG deadline = kNoDeadline) {
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
            const DWORD woke = WaitForMultipleObjects(peer != nullptr ? 2 : 1, waits, FALSE,
                                                      patienceUntil(deadline));
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
    // comes whole in good time or not at all, however it trickles in
    char header[4] = {};
    if (!transfer(pipe, false, header, 1, peer)) {
        return elevated::brokenExchange();
    }
    const ULONGLONG deadline =
        stallPatience == INFINITE ? kNoDeadline : GetTickCount64() + stallPatience;
    if (!transfer(pipe, false, header + 1, 3, peer, deadline)) {
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
    if (length > 0 && !transfer(pipe, false, message.data(), length, peer, deadline)) {
        return elevated::brokenExchange();
    }
    return message;
}

}  // namespace zorvik::win32
