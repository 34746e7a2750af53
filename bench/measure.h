#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

// Timing for the benchmarks: the median of repeated runs, so that a figure is a ratio of two
// medians taken in the same process, never an absolute threshold.
namespace zorvik::bench {

template <typename Work>
double medianSeconds(int repetitions, Work&& work) {
    std::vector<double> seconds;
    seconds.reserve(static_cast<std::size_t>(repetitions));
    for (int i = 0; i < repetitions; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
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

// One line of a result table: what, the program's time, the floor's time, and their ratio.
inline void report(const std::string& what, double program, double floor) {
    std::printf("| %-60s | %12s | %12s | %7.2f× |\n", what.c_str(), human(program).c_str(),
                human(floor).c_str(), program / floor);
    std::fflush(stdout);
}

inline void header(const char* title, const char* floorName) {
    std::printf("\n%s\n\n| %-60s | %12s | %12s | %8s |\n|%s|%s|%s|%s|\n", title, "measure",
                "program", floorName, "ratio", std::string(62, '-').c_str(),
                std::string(14, '-').c_str(), std::string(14, '-').c_str(),
                std::string(10, '-').c_str());
}

}  // namespace zorvik::bench
