// The melody listing on Windows against the floor of any listing there (bench/win32/
// floor_scan.h), for folders of 100, 2,000 and 10,000 melodies, each with as many other files,
// taking turns round after round in this one process. The program's listing is reached through
// the services of the desktop the build selected, as the window reaches it. (Under Wine each
// file made costs a look at every name already in its folder, for one differing only in case:
// 20,000 files take minutes to lay out, so the largest folder here holds 10,000 melodies.)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/measure.h"
#include "bench/win32/floor_scan.h"
#include "main_window/desktop.h"
#include "tests/win32/scratch.h"

using namespace zorvik;

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 31;
    auto desktop = createDesktop(argc, argv);
    if (!desktop) {
        return 1;
    }
    FileSystem& files = desktop->services().files();
    bench::header("The list on Windows: one listing", "floor: one FindFirstFileExW scan");
    for (const int count : {100, 2000, 10000}) {
        testing::ScratchFolder root;
        const std::string rings = root.path() + "\\Rings";
        testing::makeFolders(rings);
        for (int i = 0; i < count; ++i) {
            testing::writeBytes(rings + "\\Мелодия " + std::to_string(i) + ".wav", "x");
            testing::writeBytes(rings + "\\note " + std::to_string(i) + ".txt", "x");
        }
        const std::wstring wideRings = testing::widePath(rings);
        std::size_t listed = 0;
        std::size_t scanned = 0;
        const auto spreads = bench::interleaved(
            count >= 10000 ? std::max(5, rounds / 3) : rounds,
            {bench::timing([&] { scanned = bench::scanMelodies(wideRings).size(); }),
             bench::timing([&] {
                 auto names = files.listMelodies(rings);
                 listed = names.ok() ? names.value().size() : 0;
             })});
        if (listed != scanned || listed != static_cast<std::size_t>(count)) {
            std::fprintf(stderr, "the listing found %zu melodies and the floor %zu, not %d\n",
                         listed, scanned, count);
            return 1;
        }
        bench::report("listing, " + std::to_string(count) + " melodies + " + std::to_string(count) +
                          " other files",
                      spreads[1], spreads[0]);
    }
    return 0;
}
