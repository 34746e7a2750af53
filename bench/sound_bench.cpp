// From a click on a melody to its first sound on the sink. The floor is what any program must do
// to sound the file at once with nothing prepared: in process, a new connection to the sound
// server, the file opened with libsndfile, one stream asking the program's latency, fed as the
// server asks. What reaches the null sink is read back from its monitor by a recorder that asks
// a low latency, which pins the sink's own latency low; both sides carry the same delay.
#include <pulse/pulseaudio.h>
#include <signal.h>
#include <sndfile.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <thread>

#include "bench/measure.h"
#include "main_window/qt/qt_desktop.h"
#include "tests/support/answered_boxes.h"
#include "tests/support/temp_folder.h"
#include "tools/wav_synth.h"

namespace fs = std::filesystem;
using namespace zorvik;
using Clock = std::chrono::steady_clock;

namespace {

constexpr pa_usec_t kLatency = 40 * PA_USEC_PER_MSEC;  // as the program asks

void processEventsFor(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

// parec on the default sink's monitor, read on a thread of its own: when the first sample above
// the noise after arm() arrived.
class Recorder {
public:
    Recorder() {
        int out[2];
        if (::pipe(out) != 0) {
            std::exit(1);
        }
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            ::execlp("parec", "parec", "--device=@DEFAULT_MONITOR@", "--raw", "--format=s16le",
                     "--channels=1", "--rate=48000", "--latency-msec=5",
                     static_cast<char*>(nullptr));
            _exit(127);
        }
        ::close(out[1]);
        fd_ = out[0];
        reader_ = std::thread([this] { read(); });
    }
    ~Recorder() {
        ::kill(pid_, SIGTERM);
        reader_.join();
        ::close(fd_);
        ::waitpid(pid_, nullptr, 0);
    }

    // Seconds from the start of `start` to the first sound it made; -1 when none came.
    double secondsToSound(const std::function<void()>& start) {
        {
            const std::lock_guard guard(mutex_);
            heard_.reset();
        }
        armed_ = true;
        const Clock::time_point began = Clock::now();
        start();
        for (int waited = 0; waited < 5000; waited += 2) {
            {
                const std::lock_guard guard(mutex_);
                if (heard_) {
                    armed_ = false;
                    return std::chrono::duration<double>(*heard_ - began).count();
                }
            }
            processEventsFor(2);
        }
        armed_ = false;
        return -1;
    }

private:
    void read() {
        std::int16_t samples[1024];
        for (;;) {
            const ssize_t got = ::read(fd_, samples, sizeof samples);
            if (got <= 0) {
                return;
            }
            const Clock::time_point arrived = Clock::now();
            const auto count = static_cast<std::size_t>(got) / 2;
            if (!armed_) {
                continue;
            }
            // The sink renders in blocks, and the monitor hands each block on at once, so
            // where a sample lies in a read says nothing of when it came: the read's time is
            // taken, the same for both sides.
            for (std::size_t i = 0; i < count; ++i) {
                if (std::abs(samples[i]) > 500) {
                    const std::lock_guard guard(mutex_);
                    if (!heard_) {
                        heard_ = arrived;
                    }
                    break;
                }
            }
        }
    }

    pid_t pid_ = -1;
    int fd_ = -1;
    std::thread reader_;
    std::atomic<bool> armed_ = false;
    std::mutex mutex_;
    std::optional<Clock::time_point> heard_;
};

// The floor: a fresh in-process stream for one file, ready when the constructor returns.
class FreshStream {
public:
    explicit FreshStream(const std::string& path) : loop_(pa_threaded_mainloop_new()) {
        pa_threaded_mainloop_start(loop_);
        pa_threaded_mainloop_lock(loop_);
        context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "floor");
        pa_context_set_state_callback(context_, &signal, loop_);
        pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
        while (PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)) &&
               pa_context_get_state(context_) != PA_CONTEXT_READY) {
            pa_threaded_mainloop_wait(loop_);
        }
        SF_INFO info{};
        file_ = sf_open(path.c_str(), SFM_READ, &info);
        channels_ = info.channels;
        const pa_sample_spec sampleFormat{PA_SAMPLE_FLOAT32LE,
                                          static_cast<std::uint32_t>(info.samplerate),
                                          static_cast<std::uint8_t>(info.channels)};
        stream_ = pa_stream_new(context_, "floor", &sampleFormat, nullptr);
        pa_stream_set_state_callback(stream_, &signalStream, loop_);
        pa_stream_set_write_callback(stream_, &feed, this);
        pa_buffer_attr buffer{};
        buffer.maxlength = buffer.prebuf = buffer.minreq = buffer.fragsize =
            static_cast<std::uint32_t>(-1);
        buffer.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(kLatency, &sampleFormat));
        pa_stream_connect_playback(stream_, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY, nullptr,
                                   nullptr);
        while (PA_STREAM_IS_GOOD(pa_stream_get_state(stream_)) &&
               pa_stream_get_state(stream_) != PA_STREAM_READY) {
            pa_threaded_mainloop_wait(loop_);
        }
        pa_threaded_mainloop_unlock(loop_);
    }
    ~FreshStream() {
        pa_threaded_mainloop_lock(loop_);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        pa_threaded_mainloop_unlock(loop_);
        pa_threaded_mainloop_stop(loop_);
        pa_threaded_mainloop_free(loop_);
        sf_close(file_);
    }
    FreshStream(const FreshStream&) = delete;
    FreshStream& operator=(const FreshStream&) = delete;

private:
    static void signal(pa_context*, void* loop) {
        pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
    }
    static void signalStream(pa_stream*, void* loop) {
        pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop*>(loop), 0);
    }
    static void feed(pa_stream* stream, std::size_t bytes, void* self) {
        auto& floor = *static_cast<FreshStream*>(self);
        void* data = nullptr;
        pa_stream_begin_write(stream, &data, &bytes);
        const std::size_t frameBytes = sizeof(float) * static_cast<std::size_t>(floor.channels_);
        const sf_count_t frames = sf_readf_float(floor.file_, static_cast<float*>(data),
                                                 static_cast<sf_count_t>(bytes / frameBytes));
        if (frames <= 0) {
            std::memset(data, 0, bytes);  // silence once the melody is over
        }
        pa_stream_write(stream, data,
                        frames > 0 ? static_cast<std::size_t>(frames) * frameBytes : bytes, nullptr,
                        0, PA_SEEK_RELATIVE);
    }

    pa_threaded_mainloop* loop_;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    SNDFILE* file_ = nullptr;
    int channels_ = 1;
};

int streamsOfThisProcess() {
    FILE* pactl = ::popen("pactl list sink-inputs", "r");
    std::string text;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pactl)) > 0) {
        text.append(buffer, got);
    }
    ::pclose(pactl);
    const std::string mine = "application.process.id = \"" + std::to_string(::getpid()) + "\"";
    int count = 0;
    for (std::size_t at = text.find(mine); at != std::string::npos; at = text.find(mine, at + 1)) {
        ++count;
    }
    return count;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    if (std::system("pactl info >/dev/null 2>&1") != 0 ||
        std::system("command -v parec >/dev/null") != 0) {
        std::printf("\nClick to sound: skipped (no sound server or no parec here)\n");
        return 0;
    }
    testing::TempFolder root;
    const fs::path rings = root / "c" / "Program Files" / "Zorvik" / "Rings";
    fs::create_directories(rings);
    const fs::path melody = rings / "tone.wav";
    std::ofstream(melody, std::ios::binary)
        << wav::pcm16File(wav::synthesize({{660, 0.3}}, 22050), 22050, 1);
    fs::create_directories(root / "config" / "zorvik");
    std::ofstream(root / "config" / "zorvik" / "HKCU.reg")
        << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Zorvik\\Setings]\n"
           "\"Audio\"=dword:00000001\n";
    setenv("ZORVIK_DRIVE_C", (root / "c").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);

    bench::header("Click to sound (PulseAudio null sink, pinned to a low latency)",
                  "floor: a fresh in-process libpulse stream");
    // loading the module, each time in a fresh process
    std::vector<double> moduleLoads;
    const std::string probe =
        (fs::canonical("/proc/self/exe").parent_path() / "zorvik_sound_module_probe").string();
    for (int i = 0; i < 11; ++i) {
        FILE* output = ::popen(probe.c_str(), "r");
        double seconds = 0;
        if (output != nullptr && std::fscanf(output, "%lf", &seconds) == 1) {
            moduleLoads.push_back(seconds);
        }
        if (output != nullptr) {
            ::pclose(output);
        }
    }

    auto recorder = std::make_unique<Recorder>();
    processEventsFor(500);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 15;
    std::unique_ptr<Program> program;
    testing::AnsweredDesktop* desktop = nullptr;
    const auto click = [&] {
        desktop->boxes().queue(kAnswerOk);  // a failure is reported below, not waited on
        program->form().selectEntry(0);
        program->form().File1_Click();
    };
    const auto released = [&] {
        auto& player = static_cast<QtPlayer&>(desktop->services().player());
        for (int waited = 0; player.isPlaying() && waited < 10000; waited += 10) {
            processEventsFor(10);
        }
        processEventsFor(100);
    };
    // to first sound, and how long the click kept the window waiting
    std::vector<double> first, warm, floor;
    std::vector<double> firstBusy, warmBusy, floorBusy;
    const auto timed = [](std::vector<double>& busy, const std::function<void()>& work) {
        return [&busy, work] { busy.push_back(bench::secondsOf(work)); };
    };
    for (int round = -1; round < rounds; ++round) {  // the first round settles the sink
        auto answered = std::make_unique<testing::AnsweredDesktop>(createDesktop(argc, argv));
        desktop = answered.get();
        program = std::make_unique<Program>(std::move(answered));
        program->start();
        processEventsFor(300);  // the first paint, and the sound module loaded after it
        first.push_back(recorder->secondsToSound(timed(firstBusy, click)));
        released();
        warm.push_back(recorder->secondsToSound(timed(warmBusy, click)));
        released();
        {
            std::unique_ptr<FreshStream> stream;
            floor.push_back(recorder->secondsToSound(timed(
                floorBusy, [&] { stream = std::make_unique<FreshStream>(melody.string()); })));
            processEventsFor(700);
        }
        if (round < 0) {
            for (auto* samples : {&first, &warm, &floor, &firstBusy, &warmBusy, &floorBusy}) {
                samples->clear();
            }
        }
        if (!desktop->boxes().answered().empty()) {
            std::printf("the click failed: %s\n", desktop->boxes().answered().front().c_str());
            return 1;
        }
    }
    bench::report("first click after start-up, to first sound", bench::spreadOf(first),
                  bench::spreadOf(floor));
    bench::report("a later click, to first sound", bench::spreadOf(warm), bench::spreadOf(floor));
    bench::report("first click: the window kept waiting", bench::spreadOf(firstBusy),
                  bench::spreadOf(floorBusy));
    bench::report("a later click: the window kept waiting", bench::spreadOf(warmBusy),
                  bench::spreadOf(floorBusy));
    bench::note("loading the sound module, on a thread after the first paint",
                bench::human(bench::spreadOf(moduleLoads)));

    // the program idle after its melody: no stream, no work
    recorder.reset();
    const double cpuBefore = cpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double idleCpu = cpuSeconds() - cpuBefore;
    bench::note("streams open once the melody has played", std::to_string(streamsOfThisProcess()));
    bench::note("processor time over 2 s idle after a melody", bench::human(idleCpu));
    static_cast<QtDesktop&>(desktop->real()).window().hide();
    return 0;
}
