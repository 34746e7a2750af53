// Start-up, from process start to the end of the first repaint, and peak memory. The program
// against the designed window with one folder scan and a filled list (the fair floor) and
// against a bare window (a second floor, to read beside it), each started in turn, round after
// round: 50 melodies with and without a settings file, and 100,000 melodies.
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
using namespace zorvik;

namespace {

struct Run {
    double seconds = 0;
    double peakMiB = 0;
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
    long peakKilobytes = 0;
    if (std::sscanf(text.c_str(), "%lld %ld", &paintedAt, &peakKilobytes) != 2) {
        std::fprintf(stderr, "%s reported nothing\n", executable.c_str());
        std::exit(1);
    }
    const auto startedNs = std::chrono::duration_cast<std::chrono::nanoseconds>(started).count();
    return {static_cast<double>(paintedAt - startedNs) / 1e9,
            static_cast<double>(peakKilobytes) / 1024.0};
}

struct Probe {
    std::string executable;
    bool floorReadsSettings = false;
};

// Each probe started once a round, in turn; its times and peaks.
std::vector<std::pair<std::vector<double>, std::vector<double>>> runRounds(
    int rounds, const std::vector<Probe>& probes, const std::string& settings) {
    std::vector<std::pair<std::vector<double>, std::vector<double>>> runs(probes.size());
    for (int round = -1; round < rounds; ++round) {
        for (std::size_t i = 0; i < probes.size(); ++i) {
            const std::size_t which = (i + static_cast<std::size_t>(round + 1)) % probes.size();
            if (probes[which].floorReadsSettings) {
                setenv("ZORVIK_FLOOR_SETTINGS", settings.c_str(), 1);
            } else {
                unsetenv("ZORVIK_FLOOR_SETTINGS");
            }
            const Run run = runProbe(probes[which].executable);
            if (round >= 0) {  // the first round only warms the file cache
                runs[which].first.push_back(run.seconds);
                runs[which].second.push_back(run.peakMiB);
            }
        }
    }
    return runs;
}

void fillRings(const fs::path& rings, int melodies) {
    fs::create_directories(rings / "Deleted");
    const std::string melody = wav::demoMelody(1, 0.2);
    for (int i = 0; i < melodies; ++i) {
        std::ofstream(rings / ("Мелодия " + std::to_string(i) + ".wav"), std::ios::binary)
            << (i < 50 ? melody : std::string("x"));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path here = fs::canonical("/proc/self/exe").parent_path();
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 31;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const Probe program{(here / "zorvik_startup_probe").string()};
    const Probe designed{(here / "zorvik_designed_window_probe").string()};
    const Probe designedReadingSettings{designed.executable, true};
    const Probe bare{(here / "zorvik_bare_window_probe").string()};

    bench::header("Start-up: process start to the end of the first repaint (offscreen Qt)",
                  "floor");
    for (const int melodies : {50, 5000, 100000}) {
        testing::TempFolder root;
        fillRings(root / "c" / "Program Files" / "Zorvik" / "Rings", melodies);
        setenv("ZORVIK_DRIVE_C", (root / "c").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
        const std::string settings = (root / "config" / "zorvik" / "HKCU.reg").string();
        const std::string count = std::to_string(melodies) + " melodies";
        const int roundsHere = melodies <= 5000 ? rounds : std::max(5, rounds / 2);

        const auto without = runRounds(roundsHere, {program, designed, bare}, settings);
        bench::report(count + ", no settings: vs the designed window",
                      bench::spreadOf(without[0].first), bench::spreadOf(without[1].first));
        if (melodies <= 5000) {
            bench::report(count + ", no settings: vs a bare window",
                          bench::spreadOf(without[0].first), bench::spreadOf(without[2].first));
        }
        bench::reportMiB("peak memory, " + count + ": vs the designed window", without[0].second,
                         without[1].second);
        bench::reportMiB("peak memory, " + count + ": vs a bare window", without[0].second,
                         without[2].second);
        if (melodies == 50) {
            fs::create_directories(root / "config" / "zorvik");
            std::ofstream(settings) << "Windows Registry Editor Version 5.00\n\n"
                                       "[HKEY_CURRENT_USER\\Zorvik\\Setings]\n"
                                       "\"Audio\"=dword:00000001\n\"inDeleted\"=dword:00000000\n"
                                       "\"AudioPath\"=\"C:\\\\Program Files\\\\Zorvik\\\\Rings\"\n"
                                       "\"RingSound\"=\"Мелодия 7.wav\"\n";
            const auto with = runRounds(roundsHere, {program, designedReadingSettings}, settings);
            bench::report(count + ", settings file: vs the designed window reading it",
                          bench::spreadOf(with[0].first), bench::spreadOf(with[1].first));
        }
    }
    return 0;
}
