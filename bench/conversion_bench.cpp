// Converting a sound into a melody. The floor is what any program must do for it: Debian's own
// `ffmpeg -i song.mp3 song.wav`, a process that decodes and writes the WAV file. The program's
// conversion is a process too (conversion_probe), so both pay for their start and for loading
// FFmpeg's libraries; it also checks the file first, writes through a temporary that it flushes
// to disk and renames into place, as every change of the melodies does. Both take turns, round
// after round; peak memory comes from the kernel's account of each process.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/measure.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;
using namespace zorvik;

namespace {

struct Run {
    double seconds = 0;
    double peakMiB = 0;
};

// Runs a command to its end: how long it took and the most memory it held.
Run run(const std::vector<std::string>& command) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        std::vector<char*> arguments;
        for (const auto& part : command) {
            arguments.push_back(const_cast<char*>(part.c_str()));
        }
        arguments.push_back(nullptr);
        execvp(arguments[0], arguments.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", command[0].c_str());
        std::exit(1);
    }
    return {seconds, static_cast<double>(usage.ru_maxrss) / 1024};
}

// A song of `minutes`, stereo at 44.1 kHz and 128 kbit/s, as a user's MP3 would be.
void makeSong(const fs::path& path, int minutes) {
    run({"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
         "aevalsrc=0.4*sin(440*2*PI*t)*sin(2*PI*t/3)|0.4*sin(660*2*PI*t):s=44100:d=" +
             std::to_string(minutes * 60),
         "-c:a", "libmp3lame", "-b:a", "128k", path.string()});
}

}  // namespace

int main() {
    testing::TempFolder folder;
    bench::header("Converting a sound into a melody", "ffmpeg -i song.mp3 song.wav");
    for (const int minutes : {3, 30}) {
        const fs::path song = folder / ("song " + std::to_string(minutes) + ".mp3");
        makeSong(song, minutes);
        const fs::path wav = folder / "song.wav";
        std::vector<double> programPeaks;
        std::vector<double> floorPeaks;
        const int rounds = minutes == 3 ? 15 : 3;
        const auto spreads = bench::interleaved(
            rounds, {[&] {
                         const Run done = run({ZORVIK_CONVERSION_PROBE, song.string()});
                         programPeaks.push_back(done.peakMiB);
                         return done.seconds;
                     },
                     [&] {
                         const Run done = run({"ffmpeg", "-nostdin", "-loglevel", "error", "-y",
                                               "-i", song.string(), wav.string()});
                         floorPeaks.push_back(done.peakMiB);
                         return done.seconds;
                     }});
        const std::string length = std::to_string(minutes) + "-minute MP3";
        bench::report("converting a " + length, spreads[0], spreads[1]);
        bench::reportMiB("peak memory converting a " + length, programPeaks, floorPeaks);
    }
    return 0;
}
