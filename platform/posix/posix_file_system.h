#pragma once

#include "platform/file_system.h"
#include "platform/posix/drive_map.h"

namespace zorvik::posix {

class PosixFileSystem final : public FileSystem {
public:
    explicit PosixFileSystem(DriveMap drives);

    Result<std::vector<std::string>> listMelodies(std::string_view folder) const override;
    Status copyFile(std::string_view source, std::string_view destination) override;
    Status deleteFile(std::string_view path) override;
    Result<std::string> hostPath(std::string_view path) const override;

    const DriveMap& drives() const { return drives_; }

private:
    DriveMap drives_;
};

}  // namespace zorvik::posix
