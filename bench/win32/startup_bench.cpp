// Start-up on Windows (under Wine: run it on a desktop), from the moment the process is created
// to the end of the first paint of the window and every control, and the peak working set. The
// program against the designed window built straight from the design table with one scan of
// the folder (the fair floor), and against a bare window with one label (a second floor, to
// read beside it), each started in turn, round after round, with 50 and with 20,000 melodies.
// The probes are copied beside a Rings folder of their own, as the program finds its melodies
// beside itself.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/measure.h"
#include "bench/win32/child_process.h"
#include "platform/win32/wide_text.h"
#include "tests/win32/scratch.h"
#include "tools/wav_synth.h"

using namespace zorvik;

namespace {

struct Probe {
    std::wstring executable;
    std::wstring arguments;
};

struct Runs {
    std::vector<double> seconds;
    std::vector<double> peakMiB;
};

// Each probe started once a round, in turn; the first round only warms the caches.
std::vector<Runs> runRounds(int rounds, const std::vector<Probe>& probes) {
    std::vector<Runs> runs(probes.size());
    for (int round = -1; round < rounds; ++round) {
        for (std::size_t i = 0; i < probes.size(); ++i) {
            const std::size_t which = (i + static_cast<std::size_t>(round + 1)) % probes.size();
            const bench::ChildRun run =
                bench::runChild(probes[which].executable, probes[which].arguments);
            long long paintedAt = 0;
            unsigned long long peakKiB = 0;
            if (!run.ran ||
                std::sscanf(run.output.c_str(), "%lld %llu", &paintedAt, &peakKiB) != 2) {
                std::fprintf(stderr, "%s reported nothing\n",
                             win32::toUtf8Lossy(probes[which].executable).c_str());
                std::exit(1);
            }
            if (round >= 0) {
                runs[which].seconds.push_back(bench::counterSeconds(paintedAt - run.startedAt));
                runs[which].peakMiB.push_back(static_cast<double>(peakKiB) / 1024.0);
            }
        }
    }
    return runs;
}

// The settings the window shows when it opens, as the phone program leaves them.
class Settings {
public:
    Settings() {
        DWORD disposition = 0;
        RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key_,
                        &disposition);
        created_ = disposition == REG_CREATED_NEW_KEY;
        const DWORD on = 1;
        const DWORD off = 0;
        RegSetValueExW(key_, L"Audio", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof on);
        RegSetValueExW(key_, L"inDeleted", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off),
                       sizeof off);
        setText(L"AudioPath", L"C:\\Program Files\\Zorvik\\Rings");
        setText(L"RingSound", L"Мелодия 7.wav");
    }
    ~Settings() {
        RegCloseKey(key_);
        if (created_) {
            RegDeleteTreeW(HKEY_CURRENT_USER, kKey);
        }
    }
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

private:
    static constexpr const wchar_t* kKey = L"Zorvik\\Setings";
    void setText(const wchar_t* name, const std::wstring& text) {
        RegSetValueExW(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }
    HKEY key_ = nullptr;
    bool created_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 31;
    const std::wstring here = bench::programFolder();
    const Settings settings;
    bench::header("Start-up on Windows: process created to the end of the first paint", "floor");
    for (const int melodies : {50, 20000}) {
        testing::ScratchFolder root;
        const std::string install = root.path() + "\\Zorvik";
        testing::makeFolders(install + "\\Rings\\Deleted");
        const std::string melody = wav::demoMelody(1, 0.2);
        for (int i = 0; i < melodies; ++i) {
            testing::writeBytes(install + "\\Rings\\Мелодия " + std::to_string(i) + ".wav",
                                i < 50 ? melody : std::string("x"));
        }
        const std::wstring installed = testing::widePath(install);
        for (const wchar_t* probe :
             {L"zorvik_bench_win32_startup_probe.exe", L"zorvik_bench_win32_window_floor.exe"}) {
            CopyFileW((here + L"\\" + probe).c_str(), (installed + L"\\" + probe).c_str(), FALSE);
        }
        const Probe program{installed + L"\\zorvik_bench_win32_startup_probe.exe", L""};
        const Probe designed{installed + L"\\zorvik_bench_win32_window_floor.exe", L"designed"};
        const Probe bare{installed + L"\\zorvik_bench_win32_window_floor.exe", L"bare"};

        const std::string count = melodies == 50 ? "50 melodies" : "20,000 melodies";
        const auto runs =
            runRounds(melodies == 50 ? rounds : std::max(5, rounds / 2), {program, designed, bare});
        bench::report(count + ": vs the designed window", bench::spreadOf(runs[0].seconds),
                      bench::spreadOf(runs[1].seconds));
        bench::report(count + ": vs a bare window", bench::spreadOf(runs[0].seconds),
                      bench::spreadOf(runs[2].seconds));
        bench::reportMiB("peak memory, " + count + ": vs the designed window", runs[0].peakMiB,
                         runs[1].peakMiB);
    }
    return 0;
}
