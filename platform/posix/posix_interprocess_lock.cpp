#include "platform/posix/posix_interprocess_lock.h"

#include <cerrno>

#include "platform/posix/host_errors.h"
#include "platform/posix/store_lock.h"
#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik::posix {

namespace {

class StoreLockHold final : public LockHold {
public:
    explicit StoreLockHold(std::unique_ptr<StoreLock> lock) : lock_(std::move(lock)) {}

private:
    std::unique_ptr<StoreLock> lock_;
};

}  // namespace

Result<std::unique_ptr<LockHold>> PosixInterprocessLock::acquire() {
    // the settings' folder, where the lock lives, may not be made yet on a first run
    (void)makeFolders(hostFolderOf(lockPath_));
    auto lock = std::make_unique<StoreLock>(lockPath_, StoreLock::Kind::Exclusive, patience_);
    if (lock->held()) {
        return std::unique_ptr<LockHold>(std::make_unique<StoreLockHold>(std::move(lock)));
    }
    if (lock->error() == EWOULDBLOCK) {
        return failure_text::ringChoiceBusy();
    }
    return failure_text::settingsUnavailable(
        codeOfErrno(lock->error()),
        failure_text::filled(texts::kLockFileFailed, {lockPath_, reasonOfErrno(lock->error())}));
}

}  // namespace zorvik::posix
