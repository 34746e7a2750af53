#pragma once

#include <string>
#include <string_view>
#include <type_traits>

#include "file_transaction/file_transaction.h"
#include "file_transaction/temporary_file.h"
#include "texts/failure_text.h"

namespace zorvik {

// One copy, move or delete: the paths as the user gave them and as the host knows them, the
// messages that name them, and each step shown to the steps' watch, if any.
class FileOperation {
public:
    enum class Kind { Copy, Move, Delete };

    FileOperation(TransactionalFileSystem& files, Kind kind, std::string_view source,
                  std::string_view destination = {});

    Failure fail(ErrorCode code, std::string_view why = {}) const;
    Failure fail(ErrorCode code, failure_text::Detail detail) const {
        return fail(code, failure_text::reason(detail));
    }
    // A step's failure, whose message is its reason only.
    Failure fail(const Failure& step) const { return fail(step.code, step.message); }

    // Runs one step, unless the steps' watch makes a failure of it or pretends it was done. A
    // refusal it makes is one as the step's own would be.
    template <typename Work>
    auto run(FileStep step, Work&& work) -> decltype(work()) {
        using Outcome = decltype(work());
        if (files_.stepWatch_) {
            if (const auto fault = files_.stepWatch_->before(step)) {
                if (fault->failure && fault->failure->code == ErrorCode::AccessDenied) {
                    files_.noteRefused(hostDestination_.empty() ? hostSource_ : hostDestination_);
                }
                if constexpr (std::is_void_v<Outcome>) {
                    return;
                } else if constexpr (std::is_same_v<Outcome, Status>) {
                    return fault->failure ? Status(*fault->failure) : Status::success();
                } else {
                    if (fault->failure) {
                        return *fault->failure;
                    }
                }
            }
        }
        return work();
    }

    // A copy's every check, then its content (the source's, or what `maker` makes of it) in a
    // flushed temporary beside the destination.
    Result<TemporaryFile> copyToTemporary(CopyProgress* progress, ContentMaker* maker = nullptr);

    // Both paths resolved and neither naming a folder by its form.
    Status resolvePaths();
    // The source as a file to copy from or move: not missing, not a folder, nothing odd.
    Status checkSource(const EntryFacts& source) const;
    // The destination's folder exists and the destination is a file that may be replaced, and
    // not the source itself under another name.
    Status checkDestination(const FileIdentity& source, const FileIdentity& linkTarget = {});
    // The source's content (or what `maker` makes of it), flushed, in a temporary file beside
    // the destination.
    Result<TemporaryFile> writeTemporary(SourceReader& reader, bool keepReadOnly,
                                         CopyProgress* progress, ContentMaker* maker = nullptr);
    // The destination as it is now may still be replaced.
    Status recheckDestination();
    // The system said the file went; it may still be there.
    bool stillThere(const std::string& path);

    // `journal`, when given, records a move across volumes while a kill could cut it in two;
    // should it have to copy, the copy runs through `runCopy` where one is given.
    Status moveFile(MoveJournal* journal = nullptr, const CopyRunner* runCopy = nullptr);
    Status deleteFile();

    FileSteps& steps() { return steps_; }
    const std::string& hostDestination() const { return hostDestination_; }
    const std::string& destinationFolder() const { return destinationFolder_; }

private:
    Status copyContent(SourceReader& reader, const std::string& temporary, bool keepReadOnly,
                       CopyProgress* progress);
    // Takes the source's time; the size is what the maker wrote.
    Status makeContent(ContentMaker& maker, ContentFacts facts, const std::string& temporary,
                       CopyProgress* progress);
    Status moveAcrossVolumes(MoveJournal* journal, const CopyRunner* runCopy);
    // A kept-aside file as the user can find it: beside the destination, in the user's form.
    std::string shownKept(const std::string& keptPath) const;

    TransactionalFileSystem& files_;
    FileSteps& steps_;
    Kind kind_;
    std::string source_;
    std::string destination_;
    std::string shownSource_;
    std::string shownDestination_;
    std::string hostSource_;
    std::string hostDestination_;
    std::string sourceFolder_;
    std::string destinationFolder_;
    bool destinationExists_ = false;
};

}  // namespace zorvik
