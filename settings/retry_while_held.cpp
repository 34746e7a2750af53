#include "settings/retry_while_held.h"

#include "texts/failure_text.h"

namespace zorvik::settings {

Status writeRetryingWhileHeld(MessageBoxService& box, std::string_view title,
                              const std::function<Status()>& write) {
    for (;;) {
        Status written = write();
        if (written.ok() || written.code() != ErrorCode::Busy) {
            return written;
        }
        if (box.retryOrCancel(failure_text::retryQuestion(written.failure()), title) !=
            kAnswerRetry) {
            return Failure{ErrorCode::Cancelled, written.failure().message};
        }
    }
}

}  // namespace zorvik::settings
