// From a click on a melody to its first sound, on Windows (under Wine: with PulseAudio's null
// sink, whose monitor Wine offers as a recording device). Each round starts a fresh process of
// the program's player and one of the floor (bench/win32/click_probe.cpp), in turn; each clicks
// twice, so that the first click pays for whatever the sound system loads and the second does
// not. What reaches the sink is recorded here from its monitor, in 10 ms blocks, each stamped
// with the counter when it arrives; a click's sound is the first block above the noise after
// it. Both sides carry the same delay of the recording. Under Wine, the recording's own latency
// is pinned low by tools/bench, which keeps a low-latency recorder on the same monitor.
#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/measure.h"
#include "bench/win32/child_process.h"
#include "tests/win32/scratch.h"
#include "tools/wav_synth.h"

using namespace zorvik;

namespace {

constexpr DWORD kRate = 48000;
constexpr DWORD kBlockSamples = kRate / 100;
constexpr std::size_t kBlocks = 32;

// The recording device that hears what the default output plays: the sink's monitor.
std::optional<UINT> monitorDevice() {
    for (UINT device = 0; device < waveInGetNumDevs(); ++device) {
        WAVEINCAPSW caps{};
        if (waveInGetDevCapsW(device, &caps, sizeof caps) == MMSYSERR_NOERROR &&
            std::wstring_view(caps.szPname).starts_with(L"Monitor of")) {
            return device;
        }
    }
    return std::nullopt;
}

class Recorder {
public:
    explicit Recorder(UINT device) : blocks_(kBlocks, std::vector<short>(kBlockSamples)) {
        WAVEFORMATEX format{WAVE_FORMAT_PCM, 1, kRate, kRate * 2, 2, 16, 0};
        if (waveInOpen(&input_, device, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) {
            input_ = nullptr;
            return;
        }
        headers_.resize(kBlocks);
        for (std::size_t i = 0; i < kBlocks; ++i) {
            headers_[i].lpData = reinterpret_cast<LPSTR>(blocks_[i].data());
            headers_[i].dwBufferLength = kBlockSamples * sizeof(short);
            waveInPrepareHeader(input_, &headers_[i], sizeof headers_[i]);
            waveInAddBuffer(input_, &headers_[i], sizeof headers_[i]);
        }
        waveInStart(input_);
        reader_ = std::thread([this] { read(); });
    }
    ~Recorder() {
        stopping_ = true;
        if (reader_.joinable()) {
            reader_.join();
        }
        if (input_ != nullptr) {
            waveInReset(input_);
            for (auto& header : headers_) {
                waveInUnprepareHeader(input_, &header, sizeof header);
            }
            waveInClose(input_);
        }
    }
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    bool recording() const { return input_ != nullptr; }

    // Seconds from `click` (on the counter) to the first loud block after it.
    std::optional<double> secondsToSound(long long click) {
        const std::lock_guard guard(mutex_);
        const auto heard = std::lower_bound(loudAt_.begin(), loudAt_.end(), click);
        if (heard == loudAt_.end()) {
            return std::nullopt;
        }
        return bench::counterSeconds(*heard - click);
    }

private:
    void read() {
        for (std::size_t next = 0; !stopping_;) {
            WAVEHDR& header = headers_[next];
            if ((header.dwFlags & WHDR_DONE) == 0) {
                Sleep(1);
                continue;
            }
            const long long arrived = bench::counterNow();
            const auto& samples = blocks_[next];
            const auto count = std::min<std::size_t>(header.dwBytesRecorded / 2, samples.size());
            if (std::any_of(samples.begin(), samples.begin() + static_cast<long>(count),
                            [](short sample) { return std::abs(sample) > 500; })) {
                const std::lock_guard guard(mutex_);
                loudAt_.push_back(arrived);
            }
            header.dwFlags &= ~static_cast<DWORD>(WHDR_DONE);
            waveInAddBuffer(input_, &header, sizeof header);
            next = (next + 1) % kBlocks;
        }
    }

    HWAVEIN input_ = nullptr;
    std::vector<std::vector<short>> blocks_;
    std::vector<WAVEHDR> headers_;
    std::thread reader_;
    std::atomic<bool> stopping_ = false;
    std::mutex mutex_;
    std::vector<long long> loudAt_;
};

struct Clicks {
    std::vector<double> firstToSound, laterToSound, firstBusy, laterBusy;
    int unheard = 0;
};

struct Side {
    const wchar_t* name;
    Clicks clicks;
};

void runClicks(Recorder& recorder, const std::wstring& probe, const std::wstring& arguments,
               Clicks& clicks) {
    const bench::ChildRun run = bench::runChild(probe, arguments);
    Sleep(200);  // the last blocks of the second sound, still on their way
    std::istringstream lines(run.output);
    long long at = 0;
    double busy = 0;
    for (int click = 0; lines >> at >> busy; ++click) {
        const auto heard = recorder.secondsToSound(at);
        if (!heard) {
            ++clicks.unheard;
            continue;
        }
        (click == 0 ? clicks.firstToSound : clicks.laterToSound).push_back(*heard);
        (click == 0 ? clicks.firstBusy : clicks.laterBusy).push_back(busy);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 15;
    const auto device = monitorDevice();
    if (!device) {
        std::printf("\nClick to sound on Windows: skipped (no monitor of a sound sink here)\n");
        return 0;
    }
    Recorder recorder(*device);
    if (!recorder.recording()) {
        std::printf("\nClick to sound on Windows: skipped (the monitor cannot be recorded)\n");
        return 0;
    }
    testing::ScratchFolder root;
    const std::string melody = root.path() + "\\Звън.wav";
    testing::writeBytes(melody, wav::pcm16File(wav::synthesize({{660, 0.3}}, 22050), 22050, 1));
    const std::wstring probe = bench::programFolder() + L"\\zorvik_bench_win32_click.exe";
    const std::wstring file = L" \"" + testing::widePath(melody) + L"\"";

    Side sides[] = {{L"program", {}}, {L"floor", {}}};
    for (int round = -1; round < rounds; ++round) {  // the first round settles the sink
        for (int turn = 0; turn < 2; ++turn) {
            Side& side = sides[(turn + round + 1) % 2];
            Clicks discarded;
            runClicks(recorder, probe, side.name + file, round < 0 ? discarded : side.clicks);
        }
    }
    const Clicks& program = sides[0].clicks;
    const Clicks& floor = sides[1].clicks;
    bench::header("Click to sound on Windows (the sink's monitor, recorded in 10 ms blocks)",
                  "floor: PlaySoundW, from the file");
    bench::report("first click of a process, to first sound", bench::spreadOf(program.firstToSound),
                  bench::spreadOf(floor.firstToSound));
    bench::report("a later click, to first sound", bench::spreadOf(program.laterToSound),
                  bench::spreadOf(floor.laterToSound));
    bench::report("first click: the time it keeps the window waiting",
                  bench::spreadOf(program.firstBusy), bench::spreadOf(floor.firstBusy));
    bench::report("a later click: the time it keeps the window waiting",
                  bench::spreadOf(program.laterBusy), bench::spreadOf(floor.laterBusy));
    if (program.unheard + floor.unheard > 0) {
        bench::note("clicks never heard: the program's, the floor's",
                    std::to_string(program.unheard) + ", " + std::to_string(floor.unheard));
    }
    return 0;
}
