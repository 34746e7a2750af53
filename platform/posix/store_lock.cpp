#include "platform/posix/store_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace zorvik::posix {

namespace {

int lockRetrying(int fd, int operation) {
    int result = 0;
    do {
        result = ::flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

// flock(2) has no timeout, so the kernel's wait runs on a thread of its own, on a descriptor of
// its own for the same open lock file, and is given up at the end of the patience. The lock
// belongs to the open file, not to a descriptor: taken in time, it stays with the caller's
// descriptor once the thread closes its own; taken too late, it goes as soon as the thread
// closes the last descriptor of that open file, the caller's being closed by then.
int waitForLock(int fd, int operation, std::chrono::milliseconds patience) {
    struct Wait {
        std::mutex mutex;
        std::condition_variable ended;
        bool over = false;
        int error = 0;
    };
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0) {
        return errno;
    }
    auto wait = std::make_shared<Wait>();
    try {
        std::thread([wait, own, operation] {
            const int error = lockRetrying(own, operation);
            ::close(own);
            const std::lock_guard guard(wait->mutex);
            wait->over = true;
            wait->error = error;
            wait->ended.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        ::close(own);
        return EAGAIN;  // no thread to be had: as busy as the lock itself
    }
    std::unique_lock guard(wait->mutex);
    if (!wait->ended.wait_for(guard, patience, [&] { return wait->over; })) {
        return EWOULDBLOCK;
    }
    return wait->error;
}

}  // namespace

StoreLock::StoreLock(const std::string& lockPath, Kind kind, std::chrono::milliseconds patience)
    : file_(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0600)) {
    if (!file_.valid()) {
        error_ = errno;
        return;
    }
    const int operation = kind == Kind::Shared ? LOCK_SH : LOCK_EX;
    // the common case, a free lock, costs no thread
    error_ = lockRetrying(file_.get(), operation | LOCK_NB);
    if (error_ == EWOULDBLOCK && patience.count() > 0) {
        error_ = waitForLock(file_.get(), operation, patience);
    }
    held_ = error_ == 0;
}

}  // namespace zorvik::posix
