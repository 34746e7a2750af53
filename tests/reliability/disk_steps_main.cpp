// One file operation of the program's, run in a process of its own so that the durability tests
// can watch what it asks of the disk:
//   zorvik_disk_steps copy|move DRIVE_C FROM TO      (Windows-form paths on that drive C:)
//   zorvik_disk_steps settings STORE                 (one write of the settings file)
#include <cstdio>
#include <string>

#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_registry.h"
#include "tests/support/whole_copy.h"

int main(int argc, char** argv) {
    using namespace zorvik;
    const std::string what = argc > 1 ? argv[1] : "";
    Status done = Failure{ErrorCode::Other, "usage: copy|move DRIVE_C FROM TO, or settings STORE"};
    if ((what == "copy" || what == "move") && argc == 5) {
        posix::PosixFileSystem files{posix::DriveMap(argv[2])};
        done = what == "copy" ? testing::copyFile(files, argv[3], argv[4])
                              : files.moveFile(argv[3], argv[4]);
    } else if (what == "settings" && argc == 3) {
        posix::PosixRegistry registry(argv[2]);
        done = registry.write("Zorvik\\Setings", "RingSound", RegistryValue::string("Звън.wav"));
    }
    if (!done.ok()) {
        std::fprintf(stderr, "%s\n", done.failure().message.c_str());
        return 1;
    }
    return 0;
}
