#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"

namespace zorvik {

// The files of the melody folders, reached by Windows-form paths.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The names, without folder, of the files (not folders) of `folder` that match "*.wav" ignoring
    // case, sorted by name ignoring case. Names that Windows cannot hold are left out. Fails with
    // FolderNotFound when the folder does not exist.
    virtual Result<std::vector<std::string>> listMelodies(std::string_view folder) const = 0;

    // Copies one file over a full destination path, replacing a file of that name there
    // atomically. Fails when the source is missing or a folder, when the destination folder is
    // missing, and with SameFile when both name one file on disk.
    virtual Status copyFile(std::string_view source, std::string_view destination) = 0;

    // Deletes the one file named; a path that ends in a separator names no file.
    virtual Status deleteFile(std::string_view path) = 0;

    // The host's own path for a Windows-form path, for services that open files themselves.
    virtual Result<std::string> hostPath(std::string_view path) const = 0;
};

}  // namespace zorvik
