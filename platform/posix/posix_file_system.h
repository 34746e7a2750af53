#pragma once

#include <memory>
#include <string>

#include "file_transaction/file_transaction.h"
#include "platform/posix/drive_map.h"
#include "platform/posix/posix_file_steps.h"

namespace zorvik::posix {

class PosixFileSystem final : public TransactionalFileSystem {
public:
    explicit PosixFileSystem(DriveMap drives);

    Result<std::vector<std::string>> listMelodies(std::string_view folder) const override;
    Result<std::string> hostPath(std::string_view path) const override;
    // Paths on drive Z: are the host's own, and shown as such; drive C: is the phone
    // program's world and keeps its Windows form.
    std::string displayPath(std::string_view path) const override;

    FileSteps& steps() override { return steps_; }
    Result<std::unique_ptr<SourceReader>> openSource(const std::string& hostPath) override {
        return openSourceReader(hostPath);
    }

    const DriveMap& drives() const { return drives_; }

private:
    DriveMap drives_;
    PosixFileSteps steps_;
};

}  // namespace zorvik::posix
