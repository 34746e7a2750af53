#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zorvik::testing {

// A fresh folder below the system's temporary folder, removed with everything in it at the end.
class TempFolder {
public:
    TempFolder();
    // Below another folder than the system's temporary one (another volume, say).
    explicit TempFolder(const std::filesystem::path& under);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view relative) const { return path_ / relative; }

private:
    std::filesystem::path path_;
};

void writeFile(const std::filesystem::path& path, std::string_view bytes);
std::string readFile(const std::filesystem::path& path);
// A host path in the Windows form the program uses for places off drive C: ("Z:\tmp\x.wav").
std::string onDriveZ(const std::filesystem::path& hostPath);
// The names in a folder, sorted, to compare whole folders in one assertion.
std::string listing(const std::filesystem::path& folder);

}  // namespace zorvik::testing
