// One refresh of the melody list against a bare C++ scan, match and sort of the same folder,
// for folders of 1,000 to 100,000 melodies mixed with as many other files.
#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "main_window/qt/qt_desktop.h"
#include "bench/measure.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;
using namespace zorvik;

namespace {

void fill(const fs::path& folder, int melodies) {
    fs::create_directories(folder);
    for (int i = 0; i < melodies; ++i) {
        std::ofstream(folder / ("Мелодия " + std::to_string(i) + ".wav")) << 'x';
        std::ofstream(folder / ("note " + std::to_string(i) + ".txt")) << 'x';
    }
}

// What any program must do at the least: list the folder, keep "*.wav", sort.
std::vector<std::string> bareScan(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        if (name.size() >= 4 && strcasecmp(name.c_str() + name.size() - 4, ".wav") == 0 &&
            entry.is_regular_file()) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    });
    return names;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    bench::header("Re-reading the list (one refresh)", "bare scan");
    for (int count : {1000, 10000, 100000}) {
        testing::TempFolder root;
        const fs::path rings = root / "c" / "Program Files" / "Zorvik" / "Rings";
        fill(rings, count);
        setenv("ZORVIK_DRIVE_C", (root / "c").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        const int repetitions = count >= 100000 ? 5 : 15;
        const double floor = bench::medianSeconds(repetitions, [&] { (void)bareScan(rings); });

        QtProgram program;
        program.start();
        QApplication::processEvents();
        MelodyList list(*new posix::PosixFileSystem(posix::DriveMap((root / "c").string())));
        (void)list.setPath("C:\\Program Files\\Zorvik\\Rings");
        const double core = bench::medianSeconds(repetitions, [&] { list.Refresh(); });
        const double window = bench::medianSeconds(repetitions, [&] {
            program.form().Form_Paint();
            QApplication::processEvents();
        });
        int added = 0;
        const double changed = bench::medianSeconds(repetitions, [&] {
            std::ofstream(rings / ("new " + std::to_string(added++) + ".wav")) << 'x';
            program.form().Form_Paint();
            QApplication::processEvents();
        });
        const std::string size =
            std::to_string(count) + " melodies + " + std::to_string(count) + " others";
        bench::report("list only, " + size, core, floor);
        bench::report("whole repaint, " + size, window, floor);
        bench::report("repaint after one was added, " + size, changed, floor);
        program.window().hide();
    }
    return 0;
}
