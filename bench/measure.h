#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

// Timing for the benchmarks. The program and its floor are measured in the same run, round by
// round in turn, so that both meet the same state of the machine; each figure is a ratio of two
// medians, never a threshold.
namespace zorvik::bench {

struct Spread {
    double min = 0;
    double median = 0;
    double max = 0;
};

inline Spread spreadOf(std::vector<double> values) {
    if (values.empty()) {
        return {};
    }
    std::sort(values.begin(), values.end());
    return {values.front(), values[values.size() / 2], values.back()};
}

inline double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs every piece of work once a round, for `rounds` rounds, starting each round with the
// next one so that none always follows the same; the seconds each took, in the order given.
// Work that measures itself (a child process, a sound) returns its own figure through `timed`.
inline std::vector<Spread> interleaved(int rounds,
                                       const std::vector<std::function<double()>>& timed) {
    std::vector<std::vector<double>> samples(timed.size());
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < timed.size(); ++i) {
            const std::size_t which = (i + static_cast<std::size_t>(round)) % timed.size();
            samples[which].push_back(timed[which]());
        }
    }
    std::vector<Spread> spreads;
    for (auto& values : samples) {
        spreads.push_back(spreadOf(std::move(values)));
    }
    return spreads;
}

// The same for work that is timed from outside.
inline std::function<double()> timing(std::function<void()> work) {
    return [work = std::move(work)] { return secondsOf(work); };
}

inline std::string human(double seconds) {
    char text[32];
    if (seconds < 1e-3) {
        std::snprintf(text, sizeof text, "%.1f µs", seconds * 1e6);
    } else if (seconds < 1) {
        std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
    } else {
        std::snprintf(text, sizeof text, "%.2f s", seconds);
    }
    return text;
}

inline std::string human(const Spread& spread) {
    return human(spread.median) + " (" + human(spread.min) + "–" + human(spread.max) + ")";
}

inline void header(const std::string& title, const std::string& floorName) {
    std::printf("\n%s\n\n| %-58s | %-32s | %-32s | %7s |\n|%s|%s|%s|%s|\n", title.c_str(),
                "measure", "program: median (min–max)", (floorName + ": median (min–max)").c_str(),
                "ratio", std::string(60, '-').c_str(), std::string(34, '-').c_str(),
                std::string(34, '-').c_str(), std::string(9, '-').c_str());
}

// One line of a result table: the ratio is that of the medians.
inline void report(const std::string& what, const Spread& program, const Spread& floor) {
    std::printf("| %-58s | %-32s | %-32s | %6.2f× |\n", what.c_str(), human(program).c_str(),
                human(floor).c_str(), program.median / floor.median);
    std::fflush(stdout);
}

// One line of memory figures, in MiB: the ratio is that of the medians.
inline void reportMiB(const std::string& what, const std::vector<double>& program,
                      const std::vector<double>& floor) {
    const Spread p = spreadOf(program);
    const Spread f = spreadOf(floor);
    char programText[64];
    char floorText[64];
    std::snprintf(programText, sizeof programText, "%.1f MiB (%.1f–%.1f)", p.median, p.min, p.max);
    std::snprintf(floorText, sizeof floorText, "%.1f MiB (%.1f–%.1f)", f.median, f.min, f.max);
    std::printf("| %-58s | %-32s | %-32s | %6.2f× |\n", what.c_str(), programText, floorText,
                p.median / f.median);
    std::fflush(stdout);
}

// A line with no floor: a figure to read on its own.
inline void note(const std::string& what, const std::string& figure) {
    std::printf("| %-58s | %-32s | %-32s | %7s |\n", what.c_str(), figure.c_str(), "", "");
    std::fflush(stdout);
}

}  // namespace zorvik::bench
