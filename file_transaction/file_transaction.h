#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "file_transaction/file_rights.h"
#include "platform/file_steps.h"
#include "platform/file_system.h"

namespace zorvik {

// What stands in for one step: a failure instead of its work, or its work left undone while it
// is reported done (as Wine's DeleteFileW does where Unix refuses).
struct StepFault {
    std::optional<Failure> failure;  // none: pretended done
};

// Told of each step before it runs, and may answer in its place: how a kill or a failure between
// any two steps is staged. The program itself watches no steps.
class StepWatch {
public:
    virtual ~StepWatch() = default;
    virtual std::optional<StepFault> before(FileStep step) = 0;
};

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

    void watchSteps(std::shared_ptr<StepWatch> watch) { stepWatch_ = std::move(watch); }
    // Whose rights its changes run under.
    FileRights& rights() { return rights_; }

private:
    friend class FileOperation;
    // The steps every operation takes: this host's, or those it was routed through, watched.
    FileSteps& activeSteps() { return rights_.changeSteps(); }
    // A change the system reported done and did not make, as Wine does where Unix refuses.
    void noteRefused(const std::string& hostPath) { rights_.noteRefused(hostPath); }
    std::shared_ptr<StepWatch> stepWatch_;
    FileRights rights_{*this};
};

}  // namespace zorvik
