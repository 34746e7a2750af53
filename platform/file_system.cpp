#include "platform/file_system.h"

namespace zorvik {

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

}  // namespace zorvik
