#include "platform/progress_service.h"

#include <optional>

#include "platform/failure_text.h"
#include "platform/texts.h"
#include "platform/windows_path.h"

namespace zorvik {

std::string copyingText(std::string_view fileName) {
    return failure_text::filled(texts::kCopying, {fileName});
}

Result<std::unique_ptr<PreparedCopy>> prepareCopyShowingProgress(FileSystem& files,
                                                                 ProgressService& progress,
                                                                 std::string_view source,
                                                                 std::string_view destination,
                                                                 ContentMaker* maker) {
    std::optional<Result<std::unique_ptr<PreparedCopy>>> prepared;
    progress.run(winpath::fileName(source), [&](CopyProgress& report) {
        prepared.emplace(files.prepareCopy(source, destination, &report, maker));
    });
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
                              progress.run(winpath::fileName(source), copy);
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
