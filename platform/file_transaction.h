#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_rights.h"
#include "platform/file_steps.h"
#include "platform/file_system.h"

namespace zorvik {

// What a test makes of one step: a failure instead of its work, or its work left undone while
// it is reported done (as Wine's DeleteFileW does where Unix refuses).
struct StepFault {
    std::optional<Failure> failure;  // none: pretended done

    static StepFault fail(ErrorCode code, std::string why = {}) {
        return {Failure{code, std::move(why)}};
    }
    static StepFault pretendDone() { return {}; }
};
using StepFaults = std::function<std::optional<StepFault>(FileStep)>;

// The copy, the move and the delete, in the order that keeps them atomic, for every host: the
// checks, then a temporary beside the destination that gets the whole content and is flushed,
// an older namesake kept aside, the rename into place, the folder synced, the source removed,
// and everything put back on a failure. A host brings its primitives (steps()), its reader of
// sources and its paths.
class TransactionalFileSystem : public FileSystem {
public:
    Result<std::unique_ptr<PreparedCopy>> prepareCopy(std::string_view source,
                                                      std::string_view destination,
                                                      CopyProgress* progress = nullptr,
                                                      ContentMaker* maker = nullptr) final;
    Result<std::unique_ptr<SourceReader>> openToRead(std::string_view path) final;
    Status moveFile(std::string_view source, std::string_view destination,
                    MoveJournal* journal = nullptr, const CopyRunner& runCopy = {}) final;
    Status deleteFile(std::string_view path) final;

    Result<bool> exists(std::string_view path) final;
    void removeAbandonedTemporaries(std::string_view folder) final;

    // The primitives on this host.
    virtual FileSteps& steps() = 0;
    // Opens a source for a copy, in this process (a link is followed: its content is copied).
    virtual Result<std::unique_ptr<SourceReader>> openSource(const std::string& hostPath) = 0;

    // Whose rights its changes run under.
    FileRights& rights() { return rights_; }

    // Test hook: asked before each step what to make of it.
    void setStepFaults(StepFaults faults) { faults_ = std::move(faults); }

private:
    friend class FileOperation;
    // The steps every operation takes: this host's, or those it was routed through, watched.
    FileSteps& activeSteps() { return rights_.changeSteps(); }
    void noteRefused(const std::string& hostPath) { rights_.noteRefused(hostPath); }
    StepFaults faults_;
    FileRights rights_{*this};
};

}  // namespace zorvik
