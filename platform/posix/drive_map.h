#pragma once

#include <string>
#include <string_view>

#include "platform/status.h"

namespace zorvik::posix {

// Turns the Windows-form paths of the program into host paths: C: is a host folder of its own,
// Z: is the host root (as under Wine), every other drive names nothing. Components that have no
// exact match on disk resolve to the one entry that matches ignoring case.
class DriveMap {
public:
    explicit DriveMap(std::string driveCFolder);
    // C: from ZORVIK_DRIVE_C, else $XDG_DATA_HOME/zorvik/drive_c (~/.local/share/zorvik/drive_c).
    static DriveMap fromEnvironment();

    const std::string& driveCFolder() const { return driveC_; }

    // The host path for a Windows path. Components that do not exist are kept as given, so the
    // caller learns of a missing file or folder from the host. Fails with NoDrive, InvalidName
    // (a component Windows cannot hold), Ambiguous, or NotAFolder (a file where the path goes
    // on). The failure's message is empty but for NotAFolder, where it names that file: callers
    // know what they were doing and say it.
    Result<std::string> resolve(std::string_view windowsPath) const;

    // The Windows form of an absolute host path: below C:'s folder as "C:\...", otherwise as
    // "Z:\...". Fails with InvalidName when a component cannot be a Windows name.
    Result<std::string> windowsPathOf(std::string_view hostPath) const;

private:
    std::string driveC_;
};

// The folder of the running executable in Windows form, when it lies on drive C:; otherwise the
// install folder "C:\Program Files\Zorvik", since nothing else stands beside the phone program.
std::string applicationFolder(const DriveMap& drives);

// $XDG_CONFIG_HOME/zorvik/HKCU.reg (~/.config/zorvik/HKCU.reg).
std::string defaultSettingsStorePath();

}  // namespace zorvik::posix
