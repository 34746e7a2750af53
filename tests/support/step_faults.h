#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "file_transaction/file_transaction.h"

namespace zorvik::testing {

// What a row makes of each step of a transaction: a failure, a pretence, or nothing (none).
using StepFaults = std::function<std::optional<StepFault>(FileStep)>;

inline StepFault stepFails(ErrorCode code, std::string why = {}) {
    return {Failure{code, std::move(why)}};
}
inline StepFault stepPretendedDone() {
    return {};
}

// `faults` watch every step of `files` from now on; nullptr ends the watch.
inline void setStepFaults(TransactionalFileSystem& files, StepFaults faults) {
    struct Watch final : StepWatch {
        explicit Watch(StepFaults f) : faults(std::move(f)) {}
        std::optional<StepFault> before(FileStep step) override { return faults(step); }
        StepFaults faults;
    };
    files.watchSteps(faults ? std::make_shared<Watch>(std::move(faults)) : nullptr);
}

}  // namespace zorvik::testing
