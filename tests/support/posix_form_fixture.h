#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "main_window/form1.h"
#include "platform/posix/drive_map.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_interprocess_lock.h"
#include "platform/posix/posix_registry.h"
#include "settings/shell_object.h"
#include "tests/support/fakes.h"
#include "tests/support/form_driver.h"
#include "tests/support/temp_folder.h"

namespace zorvik::testing {

// A machine of its own on the real POSIX services: drive C: with the phone program's install folder
// (Rings and Rings\Deleted), a settings store, and a window on the real POSIX services with people
// faked.
class PosixFormFixture : public FormDriver {
public:
    PosixFormFixture();

    // A melody file in one of the folders (a few bytes that differ per name).
    void addMelody(const std::filesystem::path& folder, const std::string& name,
                   const std::string& content = {});
    std::string storeText() const { return readFile(storePath()); }
    std::filesystem::path storePath() const { return root / "config" / "HKCU.reg"; }
    // Writes a store file holding the settings key with the given value lines.
    void writeStore(const std::string& valueLines);

    TempFolder root;
    std::filesystem::path driveC;
    std::filesystem::path install;
    std::filesystem::path rings;
    std::filesystem::path deleted;

    posix::DriveMap drives;
    posix::PosixFileSystem files;
    posix::PosixRegistry registry;
    settings::RegistryShellFactory shells;
    posix::PosixInterprocessLock lock;

protected:
    TransactionalFileSystem& machineFiles() override { return files; }
    settings::ShellFactory& machineShells() override { return shells; }
    InterprocessLock& machineLock() override { return lock; }
};

}  // namespace zorvik::testing
