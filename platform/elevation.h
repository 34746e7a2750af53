#pragma once

#include <memory>

#include "platform/file_steps.h"
#include "platform/status.h"

namespace zorvik {

// A second process of this program, with an administrator's rights, that carries out the file
// steps of one user action where the user's own rights do not reach (the install folder under
// Program Files). It only ever changes files; the settings stay with the user's own process.
class ElevatedRun {
public:
    virtual ~ElevatedRun() = default;
    // The steps, carried out in the elevated process; a query or a read stays in this one.
    virtual FileSteps& steps() = 0;
    // Ends the elevated process once the action is done; what it still held is let go.
    virtual void end() = 0;
};

class Elevation {
public:
    virtual ~Elevation() = default;
    // Whether an administrator's rights can be asked for here: not on a host without them, nor
    // in a process that already has them.
    virtual bool available() const = 0;
    // Starts the elevated process, through the system's consent prompt. Cancelled, with nothing
    // started, when the user declines there.
    virtual Result<std::unique_ptr<ElevatedRun>> start() = 0;
};

// A host where rights are never asked for: a refusal is the user's answer.
class NoElevation final : public Elevation {
public:
    bool available() const override { return false; }
    Result<std::unique_ptr<ElevatedRun>> start() override {
        return Failure{ErrorCode::NotAvailable, {}};
    }
};

}  // namespace zorvik
