#include "platform/win32/win32_interprocess_lock.h"

#include "platform/win32/named_mutex_turn.h"
#include "texts/failure_text.h"

namespace zorvik::win32 {

namespace {

class TurnHold final : public LockHold {
public:
    explicit TurnHold(std::unique_ptr<NamedMutexTurn> turn) : turn_(std::move(turn)) {}

private:
    std::unique_ptr<NamedMutexTurn> turn_;
};

}  // namespace

Result<std::unique_ptr<LockHold>> Win32InterprocessLock::acquire() {
    auto turn = std::make_unique<NamedMutexTurn>(name_.c_str(), patience_);
    if (turn->busy()) {
        return failure_text::ringChoiceBusy();
    }
    return std::unique_ptr<LockHold>(std::make_unique<TurnHold>(std::move(turn)));
}

}  // namespace zorvik::win32
