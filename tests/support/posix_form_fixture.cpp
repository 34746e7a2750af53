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
      shells(registry) {
    std::filesystem::create_directories(deleted);
}

Form1& PosixFormFixture::open(std::string applicationFolder) {
    settings::ShellFactory& factory =
        failShell_ ? static_cast<settings::ShellFactory&>(failingShells) : shells;
    form = std::make_unique<Form1>(
        Form1::Services{files, box, dialog, player, popup, factory, std::move(applicationFolder)});
    form->Form_Load();
    return *form;
}

void PosixFormFixture::close() {
    std::int16_t cancel = 0;
    form->Form_Unload(cancel);
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

void PosixFormFixture::clickEntry(const std::string& name) {
    const auto& entries = form->File1().entries();
    const auto found = std::find(entries.begin(), entries.end(), name);
    if (found == entries.end()) {
        throw std::runtime_error("the list does not show " + name);
    }
    form->selectEntry(static_cast<std::size_t>(found - entries.begin()));
    form->File1_Click();
}

}  // namespace zorvik::testing
