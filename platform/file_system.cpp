#include "platform/file_system.h"

#include "platform/windows_text.h"

namespace zorvik {

std::optional<std::string> FileSystem::melodyNamed(std::string_view folder,
                                                   std::string_view name) const {
    auto names = listMelodies(folder);
    if (!names.ok()) {
        return std::nullopt;
    }
    const auto found = text::findFileName(names.value(), name);
    return found ? std::optional(names.value()[*found]) : std::nullopt;
}

Result<bool> FileSystem::exists(std::string_view path) {
    return Failure{ErrorCode::Unsupported,
                   "няма как да се провери дали " + std::string(path) + " съществува"};
}

void FileSystem::removeAbandonedTemporaries(std::string_view) {}

Status FileSystem::moveFileRecorded(std::string_view source, std::string_view destination,
                                    MoveJournal&, const CopyRunner&) {
    return moveFile(source, destination);
}

Status FileSystem::settleMove(std::string_view, std::string_view, std::string_view) {
    return Status::success();
}

std::unique_ptr<FolderWatch> FileSystem::watchFolder(std::string_view) const {
    return nullptr;
}

Status FileSystem::copyFile(std::string_view source, std::string_view destination) {
    auto prepared = prepareCopy(source, destination);
    if (!prepared.ok()) {
        return prepared.failure();
    }
    return prepared.value()->commit();
}

Result<std::unique_ptr<PreparedCopy>> FileSystem::prepareCopyWithProgress(
    std::string_view source, std::string_view destination, CopyProgress&) {
    return prepareCopy(source, destination);
}

void FileSystem::routeChangesThrough(FileSteps*) {}

bool FileSystem::takeRightsRefusal(std::string_view) {
    return false;
}

}  // namespace zorvik
