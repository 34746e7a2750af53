// Start-up from process start to the end of the first repaint, and peak memory, of the program
// against a minimal Qt Widgets window, each started many times in turn.
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/measure.h"
#include "tests/support/temp_folder.h"
#include "tools/wav_synth.h"

namespace fs = std::filesystem;

namespace {

struct Run {
    double seconds;
    long peakKilobytes;
};

Run runProbe(const std::string& executable) {
    int output[2];
    if (pipe(output) != 0) {
        std::exit(1);
    }
    const auto started = std::chrono::steady_clock::now().time_since_epoch();
    const pid_t child = fork();
    if (child == 0) {
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        execl(executable.c_str(), executable.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(output[1]);
    std::string text;
    char buffer[256];
    ssize_t got = 0;
    while ((got = read(output[0], buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    close(output[0]);
    int status = 0;
    waitpid(child, &status, 0);
    long long paintedAt = 0;
    long peak = 0;
    if (std::sscanf(text.c_str(), "%lld %ld", &paintedAt, &peak) != 2) {
        std::fprintf(stderr, "%s reported nothing\n", executable.c_str());
        std::exit(1);
    }
    const auto startedNs = std::chrono::duration_cast<std::chrono::nanoseconds>(started).count();
    return {static_cast<double>(paintedAt - startedNs) / 1e9, peak};
}

template <typename T>
T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path here = fs::canonical("/proc/self/exe").parent_path();
    const int runs = argc > 1 ? std::atoi(argv[1]) : 15;
    zorvik::testing::TempFolder root;
    const fs::path rings = root / "c" / "Program Files" / "Zorvik" / "Rings";
    fs::create_directories(rings / "Deleted");
    for (unsigned i = 0; i < 50; ++i) {
        std::ofstream(rings / ("Мелодия " + std::to_string(i) + ".wav"), std::ios::binary)
            << zorvik::wav::demoMelody(i, 0.5);
    }
    setenv("ZORVIK_DRIVE_C", (root / "c").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    std::vector<double> programSeconds, floorSeconds;
    std::vector<long> programPeak, floorPeak;
    runProbe((here / "zorvik_floor_probe").string());  // warm the file cache for both
    runProbe((here / "zorvik_startup_probe").string());
    for (int i = 0; i < runs; ++i) {
        const Run floor = runProbe((here / "zorvik_floor_probe").string());
        const Run program = runProbe((here / "zorvik_startup_probe").string());
        floorSeconds.push_back(floor.seconds);
        floorPeak.push_back(floor.peakKilobytes);
        programSeconds.push_back(program.seconds);
        programPeak.push_back(program.peakKilobytes);
    }
    zorvik::bench::header("Start-up to the end of the first repaint (50 melodies, offscreen)",
                          "Qt window");
    zorvik::bench::report("start to first repaint", median(programSeconds), median(floorSeconds));
    const double programMiB = static_cast<double>(median(programPeak)) / 1024.0;
    const double floorMiB = static_cast<double>(median(floorPeak)) / 1024.0;
    std::printf("| %-60s | %9.1f MiB | %9.1f MiB | %7.2f× |\n", "peak memory", programMiB, floorMiB,
                programMiB / floorMiB);
    return 0;
}
