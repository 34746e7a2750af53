#include "tests/support/posix_form_fixture.h"

#include <algorithm>
#include <stdexcept>

namespace zorvik::testing {

PosixFormFixture::PosixFormFixture()
    : driveC(root / "drive_c"),
      install(driveC / "Program Files" / "Zorvik"),
      rings(install / "Rings"),
      deleted(rings / "Deleted"),
      drives(driveC.string()),
      files(drives),
      registry((root / "config" / "HKCU.reg").string()),
      shells(registry),
      lock((root / "config" / "ring-choice.lock").string(), kInterprocessLockPatience) {
    std::filesystem::create_directories(deleted);
}

void PosixFormFixture::addMelody(const std::filesystem::path& folder, const std::string& name,
                                 const std::string& content) {
    writeFile(folder / name, content.empty() ? "RIFF melody " + name : content);
}

void PosixFormFixture::writeStore(const std::string& valueLines) {
    std::filesystem::create_directories(storePath().parent_path());
    writeFile(storePath(),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Zorvik\\Setings]\n" +
                  valueLines);
}

}  // namespace zorvik::testing
