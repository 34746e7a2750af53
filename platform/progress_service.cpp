#include "platform/progress_service.h"

#include <optional>

#include "platform/windows_path.h"
#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik {

std::string copyingText(std::string_view fileName) {
    return failure_text::filled(texts::kCopying, {fileName});
}

std::string movingText(std::string_view fileName) {
    return failure_text::filled(texts::kMoving, {fileName});
}

std::string convertingText(std::string_view fileName) {
    return failure_text::filled(texts::kConverting, {fileName});
}

Result<std::unique_ptr<PreparedCopy>> prepareCopyShowingProgress(FileSystem& files,
                                                                 ProgressService& progress,
                                                                 std::string_view source,
                                                                 std::string_view destination,
                                                                 ContentMaker* maker) {
    std::optional<Result<std::unique_ptr<PreparedCopy>>> prepared;
    // a copy whose content is made from its source is a sound converted
    const std::string doing = maker != nullptr ? convertingText(winpath::fileName(source))
                                               : copyingText(winpath::fileName(source));
    const bool stands = progress.run(doing, [&](CopyProgress& report) {
        prepared.emplace(files.prepareCopy(source, destination, &report, maker));
    });
    if (!stands && prepared && prepared->ok()) {
        // cancelled after its last report: the copy waiting beside the destination goes
        return Failure{ErrorCode::Cancelled, {}};
    }
    if (!prepared) {
        // a service that ran nothing must not pass for a copy the user cancelled
        return failure_text::copyFailed(ErrorCode::NotAvailable, files.displayPath(source),
                                        files.displayPath(destination));
    }
    return std::move(*prepared);
}

Status moveShowingProgress(FileSystem& files, ProgressService& progress, std::string_view source,
                           std::string_view destination, MoveJournal& journal) {
    return files.moveFile(source, destination, &journal,
                          [&](const std::function<void(CopyProgress&)>& copy) {
                              return progress.run(movingText(winpath::fileName(source)), copy);
                          });
}

Status copyShowingProgress(FileSystem& files, ProgressService& progress, std::string_view source,
                           std::string_view destination, ContentMaker* maker) {
    auto prepared = prepareCopyShowingProgress(files, progress, source, destination, maker);
    if (!prepared.ok()) {
        return prepared.failure();
    }
    return prepared.value()->commit();
}

}  // namespace zorvik
