#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "file_transaction/file_transaction.h"
#include "platform/win32/win32_file_steps.h"

namespace zorvik::win32 {

// The real file system through the wide-character API. Paths are Windows' own, so the host path
// and the displayed path are the path itself.
class Win32FileSystem final : public TransactionalFileSystem {
public:
    Win32FileSystem() : Win32FileSystem(std::make_unique<Win32FileSteps>()) {}
    // Over `steps`: Windows' own, or a test's that answers some calls as Wine never does.
    explicit Win32FileSystem(std::unique_ptr<Win32FileSteps> steps) : steps_(std::move(steps)) {}

    Result<std::vector<std::string>> listMelodies(std::string_view folder) const override;
    Result<std::string> hostPath(std::string_view path) const override;
    FileSteps& steps() override { return *steps_; }
    Win32FileSteps& win32Steps() { return *steps_; }
    Result<std::unique_ptr<SourceReader>> openSource(const std::string& hostPath) override {
        return openSourceReader(hostPath);
    }

private:
    std::unique_ptr<Win32FileSteps> steps_;
};

}  // namespace zorvik::win32
