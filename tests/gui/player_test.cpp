// The player against a real PulseAudio server (tools/null-sound-server starts one with a null
// sink): what is played reaches the sink whole, a new melody cuts the old one, the device is let
// go once a melody has played, and a missing server is a failure the user is told of.
#include <gtest/gtest.h>

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/posix/posix_file_system.h"
#include "platform/qt/qt_player.h"
#include "sound/pulse/lazy_player.h"
#include "tests/gui/window_fixture.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_display.h"
#include "tools/wav_synth.h"

namespace zorvik {
namespace {

using testing::TempFolder;
using testing::WindowFixture;
using testing::writeFile;

bool soundServerRuns() {
    return !testing::commandOutput("pactl info 2>/dev/null").empty();
}

// The streams this process has open on the sound server.
int streamsOfThisProcess() {
    const std::string streams = testing::commandOutput("pactl list sink-inputs 2>/dev/null");
    const std::string mine = "application.process.id = \"" + std::to_string(::getpid()) + "\"";
    int count = 0;
    for (std::size_t at = streams.find(mine); at != std::string::npos;
         at = streams.find(mine, at + 1)) {
        ++count;
    }
    return count;
}

bool mapped(std::string_view library) {
    std::ifstream maps("/proc/self/maps");
    std::stringstream text;
    text << maps.rdbuf();
    return text.str().find(library) != std::string::npos;
}

class PlayerTest : public ::testing::Test {
protected:
    PlayerTest() {
        std::filesystem::create_directories(root / "c" / "Rings");
        writeFile(root / "c" / "Rings" / "tone.wav",
                  wav::pcm16File(wav::synthesize({{440, 0.6}}, 22050), 22050, 1));
        writeFile(root / "c" / "Rings" / "long.wav",
                  wav::pcm16File(wav::synthesize({{440, 3.0}}, 22050), 22050, 1));
        writeFile(root / "c" / "Rings" / "broken.wav", "RIFF....WAVEjunk");
    }

    Status play(const char* path) {
        player.setFileName(path);
        return player.sound();
    }

    TempFolder root;
    posix::PosixFileSystem files{posix::DriveMap((root / "c").string())};
    LazyPlayer player{files};
};

// Start-up pays nothing for sound: the libraries come in after the first paint, unasked.
TEST_F(PlayerTest, TheSoundLibrariesLoadAfterTheFirstPaint) {
    if (mapped("libzorvik-sound")) {
        GTEST_SKIP() << "an earlier test in this process loaded them";
    }
    EXPECT_FALSE(mapped("libpulse")) << "the program itself must not need libpulse";
    EXPECT_FALSE(mapped("libsndfile")) << "the program itself must not need libsndfile";
    QWidget window;
    QtPlayer qtPlayer(files, window);
    EXPECT_FALSE(mapped("libzorvik-sound"));
    window.show();
    EXPECT_TRUE(WindowFixture::waitFor(
        [] { return mapped("libzorvik-sound") && mapped("libpulse") && mapped("libsndfile"); },
        5000));
    EXPECT_FALSE(mapped("libavformat")) << "FFmpeg's libraries wait for a sound to convert";
}

TEST_F(PlayerTest, FilesThatCannotPlayFailWithTheirNameAndReason) {
    const Status broken = play("C:\\Rings\\broken.wav");
    ASSERT_FALSE(broken.ok());
    EXPECT_EQ(broken.failure().message,
              "Мелодията „C:\\Rings\\broken.wav“ не може да бъде изсвирена: липсва описанието на "
              "звука.");
    EXPECT_FALSE(play("C:\\Rings\\missing.wav").ok());
    EXPECT_FALSE(play("C:\\Rings\\").ok());
    EXPECT_FALSE(play("Q:\\tone.wav").ok());
    EXPECT_FALSE(player.isPlaying());
    // the ring choice's check: the same refusal, its reason only, and nothing played
    const Status checked = player.check("C:\\Rings\\broken.wav");
    ASSERT_FALSE(checked.ok());
    EXPECT_EQ(checked.failure().message, "липсва описанието на звука");
    EXPECT_TRUE(player.check("C:\\Rings\\tone.wav").ok());
    EXPECT_FALSE(player.check("C:\\Rings\\missing.wav").ok());
    EXPECT_FALSE(player.isPlaying());
}

TEST_F(PlayerTest, WithoutASoundServerThereIsNoSoundDevice) {
    const char* const before = std::getenv("PULSE_SERVER");
    const std::string saved = before != nullptr ? before : "";
    setenv("PULSE_SERVER", ("unix:" + (root / "no-server").string()).c_str(), 1);
    const Status played = play("C:\\Rings\\tone.wav");
    before != nullptr ? setenv("PULSE_SERVER", saved.c_str(), 1) : unsetenv("PULSE_SERVER");
    ASSERT_FALSE(played.ok());
    EXPECT_EQ(played.failure().message,
              "Мелодията „C:\\Rings\\tone.wav“ не може да бъде изсвирена: няма звуково "
              "устройство.");
    EXPECT_FALSE(player.isPlaying());
}

TEST_F(PlayerTest, AMelodyPlaysOnWhileTheWindowGoesOnANewOneCutsItAndTheDeviceIsLetGoAfter) {
    if (!soundServerRuns()) {
        GTEST_SKIP() << "no sound server here";
    }
    ASSERT_TRUE(play("C:\\Rings\\long.wav").ok());
    // back before the three seconds of melody have played
    EXPECT_TRUE(player.isPlaying());
    EXPECT_EQ(streamsOfThisProcess(), 1);
    ASSERT_TRUE(play("C:\\Rings\\tone.wav").ok());
    EXPECT_TRUE(player.isPlaying());
    EXPECT_EQ(streamsOfThisProcess(), 1) << "the first melody was not cut";
    // an idle null sink takes seconds to play out; the melody itself is short
    EXPECT_TRUE(WindowFixture::waitFor([&] { return !player.isPlaying(); }, 15000))
        << "the melody never ended";
    EXPECT_EQ(streamsOfThisProcess(), 0) << "a stream is still open after the melody";
    ASSERT_TRUE(play("C:\\Rings\\long.wav").ok());
    EXPECT_TRUE(player.isPlaying()) << "the next starts at once";
    EXPECT_EQ(streamsOfThisProcess(), 1);
    player.stop();
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(streamsOfThisProcess(), 0);
}

// Seconds of sound that reached the default sink, through its monitor, from `play`. The null
// sink's latency varies, so the recording goes on until the sound was heard and silence
// followed it.
double secondsHeard(const std::function<void()>& play) {
    constexpr int kRate = 22050;
    constexpr int kThreshold = 500;
    QProcess recorder;
    recorder.start(QStringLiteral("parec"),
                   {QStringLiteral("--device=@DEFAULT_MONITOR@"), QStringLiteral("--raw"),
                    QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
                    QStringLiteral("--rate=22050"), QStringLiteral("--latency-msec=20")});
    if (!recorder.waitForStarted()) {
        return -1;
    }
    WindowFixture::waitFor([] { return false; }, 300);  // let the recording settle
    recorder.readAllStandardOutput();
    play();
    QByteArray raw;
    qsizetype first = -1;
    qsizetype last = -1;
    WindowFixture::waitFor(
        [&] {
            raw += recorder.readAllStandardOutput();
            const auto* samples = reinterpret_cast<const std::int16_t*>(raw.constData());
            const qsizetype count = raw.size() / 2;
            for (qsizetype i = last + 1; i < count; ++i) {
                if (std::abs(samples[i]) > kThreshold) {
                    first = first < 0 ? i : first;
                    last = i;
                }
            }
            return first >= 0 && count - last > kRate / 2;
        },
        6000);
    recorder.terminate();
    recorder.waitForFinished();
    return first < 0 ? 0 : static_cast<double>(last - first) / kRate;
}

// Closing the stream once the melody has played must not cut its end. The measurement itself
// loses a little at the start, so the floor is paplay of the same file on the same sink.
TEST_F(PlayerTest, TheWholeMelodyReachesTheSinkAsWithPaplay) {
    const QString paplay = QStandardPaths::findExecutable(QStringLiteral("paplay"));
    if (!soundServerRuns() || paplay.isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty()) {
        GTEST_SKIP() << "no sound server, or no paplay and parec here";
    }
    const auto host = root / "c" / "Rings" / "half.wav";
    writeFile(host, wav::pcm16File(wav::synthesize({{660, 0.5}}, 22050), 22050, 1));
    const double floor =
        secondsHeard([&] { QProcess::execute(paplay, {QString::fromStdString(host.string())}); });
    const double heard = secondsHeard([&] { EXPECT_TRUE(play("C:\\Rings\\half.wav").ok()); });
    ASSERT_GT(floor, 0.4) << "paplay itself was not heard";
    EXPECT_GT(heard, floor - 0.02) << "heard " << heard << " s, paplay " << floor << " s";
}

}  // namespace
}  // namespace zorvik
