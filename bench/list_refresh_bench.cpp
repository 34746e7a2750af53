// The melody list against the floor of any listing (bench/floor_scan.h), for folders of 100,
// 10,000 and 100,000 melodies, each with as many other files: one listing; a repaint of an
// unchanged folder, of the list alone and of the whole window; a repaint after one melody was
// added or removed.
#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "bench/floor_scan.h"
#include "bench/measure.h"
#include "main_window/qt/qt_desktop.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;
using namespace zorvik;

namespace {

constexpr const char* kRings = "C:\\Program Files\\Zorvik\\Rings";

void fill(const fs::path& folder, int melodies) {
    fs::create_directories(folder);
    for (int i = 0; i < melodies; ++i) {
        std::ofstream(folder / ("Мелодия " + std::to_string(i) + ".wav")) << 'x';
        std::ofstream(folder / ("note " + std::to_string(i) + ".txt")) << 'x';
    }
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    bench::header("The list: one listing and one repaint", "floor: one scan");
    for (const int count : {100, 5000, 10000, 100000}) {
        testing::TempFolder root;
        const fs::path rings = root / "c" / "Program Files" / "Zorvik" / "Rings";
        fill(rings, count);
        setenv("ZORVIK_DRIVE_C", (root / "c").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        posix::PosixFileSystem files{posix::DriveMap((root / "c").string())};
        MelodyList list(files);
        (void)list.setPath(kRings);
        Program program(createDesktop(argc, argv));
        program.start();
        while (program.form().repaintsRun() == 0) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        }
        const auto windowRepaint = [&] {
            program.form().Form_Paint();
            QApplication::processEvents();
        };
        // one melody added, then removed again, a round at a time
        const fs::path added = rings / "Добавена.wav";
        const auto changeOneMelody = [&] {
            if (fs::exists(added)) {
                fs::remove(added);
            } else {
                std::ofstream(added) << 'x';
            }
        };
        // each measure first takes in what other measures changed, untimed
        const auto unchanged = [](const std::function<void()>& repaint) {
            return [repaint] {
                repaint();
                return bench::secondsOf(repaint);
            };
        };
        const auto afterAChange = [&](const std::function<void()>& repaint) {
            return [repaint, &changeOneMelody] {
                repaint();
                changeOneMelody();
                return bench::secondsOf(repaint);
            };
        };
        const int rounds = count >= 100000 ? 11 : 31;
        const std::string host = rings.string();
        const auto spreads = bench::interleaved(
            rounds, {bench::timing([&] { (void)bench::scanMelodies(host); }),
                     bench::timing([&] { (void)files.listMelodies(kRings); }),
                     unchanged([&] { list.Refresh(); }), unchanged(windowRepaint),
                     afterAChange([&] { list.Refresh(); }), afterAChange(windowRepaint)});
        const std::string size =
            std::to_string(count) + " melodies + " + std::to_string(count) + " other files";
        bench::report("listing, " + size, spreads[1], spreads[0]);
        bench::report("repaint, folder unchanged: the list, " + size, spreads[2], spreads[0]);
        bench::report("repaint, folder unchanged: the window, " + size, spreads[3], spreads[0]);
        bench::report("repaint, one melody added or removed: the list, " + size, spreads[4],
                      spreads[0]);
        bench::report("repaint, one melody added or removed: the window, " + size, spreads[5],
                      spreads[0]);
        qtDesktopOf(program).window().hide();
    }
    return 0;
}
