#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "main_window/form1.h"
#include "settings/shell_object.h"
#include "tests/support/fake_elevation.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/fake_registry.h"
#include "tests/support/fakes.h"
#include "tests/support/form_driver.h"

namespace zorvik::testing {

// A Windows-form path that joins with '/', as a test reads best: rings / "x.wav".
struct WinPath {
    std::string text;
    WinPath operator/(std::string_view name) const { return {text + "\\" + std::string(name)}; }
    operator std::string_view() const { return text; }  // NOLINT: a path is its text
};

// A machine of its own, in memory with Windows semantics: drive C: with the phone program's
// install folder (Rings and Rings\Deleted), the current user's registry, and the window over
// them with the people faked. The same on every platform.
class FormFixture : public FormDriver {
public:
    FormFixture();

    // A melody file in one of the folders (a few bytes that differ per name).
    void addMelody(const WinPath& folder, const std::string& name, const std::string& content = {});
    void writeFile(const WinPath& path, std::string_view bytes) { files.writeFile(path, bytes); }
    // Rings and its Deleted folder, empty, as a table's row starts.
    void emptyFolders() {
        files.remove(rings);
        files.makeFolder(deleted);
    }
    // The file's bytes; "" when there is none.
    std::string readFile(const WinPath& path) const;
    // Every name in a folder, in byte order, space-separated, to compare whole folders at once.
    std::string listing(const WinPath& folder) const;

    // The settings key's values, one line each in the registry editor's syntax
    // ("\"Audio\"=dword:00000001"), in the order they were first written.
    std::string storeText() const;
    // Replaces the settings key's values with these lines (the same syntax).
    void writeStore(const std::string& valueLines);

    WinPath driveC{"C:"};
    WinPath install{"C:\\Program Files\\Zorvik"};
    WinPath rings{install / "Rings"};
    WinPath deleted{rings / "Deleted"};

    FakeFileSystem files;
    FakeRegistry registry;
    settings::RegistryShellFactory shells;
    FakeElevation elevation{files};

protected:
    TransactionalFileSystem& machineFiles() override { return files; }
    Elevation& machineElevation() override { return elevation; }
    settings::ShellFactory& machineShells() override { return shells; }
};

}  // namespace zorvik::testing
