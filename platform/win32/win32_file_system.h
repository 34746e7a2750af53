#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace zorvik::win32 {

// The steps of a copy or a move where a test can make Windows fail.
enum class TransferStep {
    WriteTemporary,   // the bytes of a copy into its temporary file
    RenameIntoPlace,  // the temporary file (or a moved file) over the destination
    MoveSameVolume,   // a move in one step; ERROR_NOT_SAME_DEVICE here takes the copying way
    SetOldDestinationAside,
    RemoveSource,
};

// The real file system through the wide-character API. Paths are Windows' own, so the host path
// and the displayed path are the path itself.
class Win32FileSystem final : public FileSystem {
public:
    Result<std::vector<std::string>> listMelodies(std::string_view folder) const override;
    Result<std::unique_ptr<PreparedCopy>> prepareCopy(std::string_view source,
                                                      std::string_view destination) override;
    // One MoveFileExW on one volume; across volumes a copy beside the destination, the old
    // destination kept aside until the source is gone, and everything put back on a failure.
    Status moveFile(std::string_view source, std::string_view destination) override;
    Status deleteFile(std::string_view path) override;
    Result<std::string> hostPath(std::string_view path) const override;

    // Test hook: called before each step; a nonzero Win32 error code makes that step fail with it.
    void setFaultInjector(std::function<unsigned long(TransferStep)> injector) {
        injector_ = std::move(injector);
    }
    // 0 when no fault is injected for that step.
    unsigned long injectedFault(TransferStep step) const { return injector_ ? injector_(step) : 0; }

private:
    std::function<unsigned long(TransferStep)> injector_;
};

}  // namespace zorvik::win32
