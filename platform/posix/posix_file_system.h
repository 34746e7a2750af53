#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/posix/drive_map.h"
#include "platform/posix/posix_folder_watch.h"

namespace zorvik::posix {

// The steps of a copy or a move where a test can make the host fail.
enum class TransferStep { WriteTemporary, RenameIntoPlace, RemoveSource };

class PosixFileSystem final : public FileSystem {
public:
    explicit PosixFileSystem(DriveMap drives);

    Result<std::vector<std::string>> listMelodies(std::string_view folder) const override;
    std::unique_ptr<FolderWatch> watchFolder(std::string_view folder) const override;
    Result<std::unique_ptr<PreparedCopy>> prepareCopy(std::string_view source,
                                                      std::string_view destination) override;
    Status moveFile(std::string_view source, std::string_view destination) override;
    Status deleteFile(std::string_view path) override;
    Result<std::string> hostPath(std::string_view path) const override;
    // Paths on drive Z: are the host's own, and shown as such; drive C: is the phone
    // program's world and keeps its Windows form.
    std::string displayPath(std::string_view path) const override;

    const DriveMap& drives() const { return drives_; }

    // Test hook: called before each step; a nonzero errno makes that step fail with it.
    void setFaultInjector(std::function<int(TransferStep)> injector) {
        injector_ = std::move(injector);
    }

private:
    friend class HostTransfer;
    int injectedFault(TransferStep step) const { return injector_ ? injector_(step) : 0; }

    DriveMap drives_;
    std::function<int(TransferStep)> injector_;
    // what the listings found, for the watches of those folders
    std::shared_ptr<LinkedFolders> linkedFolders_ = std::make_shared<LinkedFolders>();
};

}  // namespace zorvik::posix
