// One file operation of the program's, run in a process of its own so that the durability tests
// can watch what it asks of the disk:
//   zorvik_disk_steps copy|move DRIVE_C FROM TO      (Windows-form paths on that drive C:)
//   zorvik_disk_steps settings STORE                 (one write of the settings file)
//   zorvik_disk_steps settle DRIVE_C FROM TO KEPT    (a move across volumes cut short once its
//                                                     copy was in place, the older namesake kept)
#include <cstdio>
#include <string>

#include "melody_library/melody_move.h"
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
    } else if (what == "settle" && argc == 6) {
        posix::PosixFileSystem files{posix::DriveMap(argv[2])};
        const auto stampOf = [&](const char* path) {
            const auto facts =
                files.steps().inspect(files.hostPath(path).value(), LinkHandling::Itself);
            return facts.ok() ? facts.value().stamp() : FileStamp{};
        };
        done = settleMove(files, files.rights().changeSteps(),
                          {argv[3], argv[4], argv[5], stampOf(argv[4]), stampOf(argv[5])});
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
