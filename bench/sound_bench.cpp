// From a click on a melody to its first non-silent sample on the sound server's sink, against
// paplay of the same file on the same sink. What reaches the sink is read back from its
// monitor, so both figures carry the same recording delay.
#include <QApplication>
#include <QAudioDevice>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QProcess>
#include <QStandardPaths>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "main_window/qt/qt_desktop.h"
#include "bench/measure.h"
#include "tests/support/temp_folder.h"
#include "tools/wav_synth.h"

namespace fs = std::filesystem;
using namespace zorvik;

namespace {

constexpr int kRate = 22050;

void wait(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
}

// Seconds from `start` to the arrival of the first sample above the noise; -1 when none came.
double secondsToSound(const std::function<void()>& start) {
    QProcess recorder;
    recorder.start(QStringLiteral("parec"),
                   {QStringLiteral("--device=@DEFAULT_MONITOR@"), QStringLiteral("--raw"),
                    QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
                    QStringLiteral("--rate=22050"), QStringLiteral("--latency-msec=5")});
    recorder.waitForStarted();
    wait(400);
    recorder.readAllStandardOutput();
    const auto began = std::chrono::steady_clock::now();
    start();
    double heardAfter = -1;
    QElapsedTimer timeout;
    timeout.start();
    while (heardAfter < 0 && timeout.elapsed() < 5000) {
        recorder.waitForReadyRead(2);
        QApplication::processEvents();
        const QByteArray chunk = recorder.readAllStandardOutput();
        const auto* samples = reinterpret_cast<const std::int16_t*>(chunk.constData());
        for (qsizetype i = 0; i < chunk.size() / 2; ++i) {
            if (std::abs(samples[i]) > 500) {
                const double arrived =
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
                // the samples after it in this chunk came later than it did
                heardAfter = arrived - static_cast<double>(chunk.size() / 2 - i) / kRate;
                break;
            }
        }
    }
    recorder.terminate();
    recorder.waitForFinished();
    wait(800);  // let the melody end before the next run
    return heardAfter;
}

}  // namespace

// Clients find the sound server through $XDG_CONFIG_HOME, which this run points elsewhere: name
// the server outright first.
void pinSoundServer() {
    if (std::getenv("PULSE_SERVER") != nullptr) {
        return;
    }
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("info")});
    pactl.waitForFinished();
    for (const QString& line : QString::fromUtf8(pactl.readAllStandardOutput()).split('\n')) {
        if (line.startsWith(QStringLiteral("Server String: /"))) {
            const QString socket = line.mid(15);
            setenv("PULSE_SERVER", ("unix:" + socket).toUtf8().constData(), 1);
        }
    }
}

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    pinSoundServer();
    QApplication app(argc, argv);
    const QString paplay = QStandardPaths::findExecutable(QStringLiteral("paplay"));
    if (QMediaDevices::defaultAudioOutput().isNull() || paplay.isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty()) {
        std::printf("\nClick to sound: skipped (no sound server, paplay or parec here)\n");
        return 0;
    }
    testing::TempFolder root;
    const fs::path rings = root / "c" / "Program Files" / "Zorvik" / "Rings";
    fs::create_directories(rings);
    const fs::path melody = rings / "tone.wav";
    std::ofstream(melody, std::ios::binary)
        << wav::pcm16File(wav::synthesize({{660, 0.4}}, kRate), kRate, 1);
    fs::create_directories(root / "config" / "zorvik");
    std::ofstream(root / "config" / "zorvik" / "HKCU.reg")
        << "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Zorvik\\Setings]\n"
           "\"Audio\"=dword:00000001\n";
    setenv("ZORVIK_DRIVE_C", (root / "c").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);

    QtProgram program;
    program.start();
    wait(200);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    std::vector<double> clicks, floors;
    for (int i = 0; i < runs; ++i) {
        floors.push_back(secondsToSound(
            [&] { QProcess::startDetached(paplay, {QString::fromStdString(melody.string())}); }));
        clicks.push_back(secondsToSound([&] {
            QtMessageBox::setNextAnswer(kAnswerOk);  // a failure is reported below, not waited on
            program.form().selectEntry(0);
            program.form().File1_Click();
        }));
        if (!QtMessageBox::answeredMessages().empty()) {
            std::printf("the click failed: %s\n", QtMessageBox::answeredMessages().front().c_str());
            return 1;
        }
        QtMessageBox::clearAnswers();
    }
    std::sort(clicks.begin(), clicks.end());
    std::sort(floors.begin(), floors.end());
    bench::header("Click to sound (PulseAudio null sink)", "paplay");
    bench::report("click to first non-silent sample", clicks[clicks.size() / 2],
                  floors[floors.size() / 2]);
    program.window().hide();
    return 0;
}
