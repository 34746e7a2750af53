#pragma once

#include <memory>
#include <utility>

#include "platform/file_system.h"

namespace zorvik {

// The half of a copy that waits beside its destination, on any host. The host's transfer
// brings the steps: check(), writeTemporary() giving its Temporary (path(), keep(), and removal
// when destroyed unkept), putInPlace(path) and fail().
template <typename Transfer>
class HostPreparedCopy final : public PreparedCopy {
public:
    using Temporary = typename Transfer::Temporary;

    HostPreparedCopy(Transfer transfer, Temporary temporary)
        : transfer_(std::move(transfer)), temporary_(std::move(temporary)) {}

    Status commit() override {
        if (temporary_.path().empty()) {
            return transfer_.fail(ErrorCode::Other, "копието вече е на мястото си");
        }
        if (Status placed = transfer_.putInPlace(temporary_.path()); !placed.ok()) {
            return placed;
        }
        temporary_.keep();
        return Status::success();
    }

private:
    Transfer transfer_;
    Temporary temporary_;
};

// Every check, then the whole copy under a temporary name; nothing at the destination changes.
template <typename Transfer>
Result<std::unique_ptr<PreparedCopy>> prepareCopyWith(Transfer transfer) {
    if (Status checked = transfer.check(); !checked.ok()) {
        return checked.failure();
    }
    auto temporary = transfer.writeTemporary();
    if (!temporary.ok()) {
        return temporary.failure();
    }
    return std::unique_ptr<PreparedCopy>(std::make_unique<HostPreparedCopy<Transfer>>(
        std::move(transfer), std::move(temporary).value()));
}

}  // namespace zorvik
