#include <gtest/gtest.h>

#include <QAudioDevice>
#include <QAudioSink>
#include <QBuffer>
#include <QElapsedTimer>
#include <QMediaDevices>
#include <QProcess>
#include <QStandardPaths>
#include <cstdlib>
#include <functional>

#include "platform/posix/posix_file_system.h"
#include "platform/qt/qt_player.h"
#include "tests/gui/window_fixture.h"
#include "tools/wav_synth.h"

namespace zorvik {
namespace {

using testing::TempFolder;
using testing::WindowFixture;
using testing::writeFile;

class QtPlayerTest : public ::testing::Test {
protected:
    QtPlayerTest() : files(posix::DriveMap((root / "c").string())) {
        std::filesystem::create_directories(root / "c" / "Rings");
        writeFile(root / "c" / "Rings" / "tone.wav",
                  wav::pcm16File(wav::synthesize({{440, 0.6}}, 22050), 22050, 1));
        writeFile(root / "c" / "Rings" / "broken.wav", "RIFF....WAVEjunk");
    }
    // Qt offers a "Null Output" device even with no sound server, so only a sink that opens
    // tells that sound can play here.
    static bool haveDevice() {
        QAudioFormat format;
        format.setSampleRate(8000);
        format.setChannelCount(1);
        format.setSampleFormat(QAudioFormat::Int16);
        QAudioSink sink(QMediaDevices::defaultAudioOutput(), format);
        QByteArray silence(1600, '\0');
        QBuffer buffer(&silence);
        buffer.open(QIODevice::ReadOnly);
        sink.start(&buffer);
        const bool opened = sink.state() != QAudio::StoppedState && sink.error() == QAudio::NoError;
        sink.stop();
        return opened;
    }

    TempFolder root;
    posix::PosixFileSystem files;
    QtPlayer player{files};
};

TEST_F(QtPlayerTest, FilesThatCannotPlayFailWithTheirNameAndReason) {
    player.setFileName("C:\\Rings\\broken.wav");
    const Status broken = player.sound();
    ASSERT_FALSE(broken.ok());
    EXPECT_EQ(broken.failure().message,
              "Мелодията „C:\\Rings\\broken.wav“ не може да бъде изсвирена: файлът е повреден или "
              "не е звук във формат WAV.");
    player.setFileName("C:\\Rings\\missing.wav");
    EXPECT_FALSE(player.sound().ok());
    player.setFileName("C:\\Rings\\");
    EXPECT_FALSE(player.sound().ok());
    EXPECT_FALSE(player.isPlaying());
}

TEST_F(QtPlayerTest, PlaysWithoutBlockingAndANewMelodyCutsTheOldOneShort) {
    if (!haveDevice()) {
        GTEST_SKIP() << "no audio output device here";
    }
    player.setFileName("C:\\Rings\\tone.wav");
    QElapsedTimer call;
    call.start();
    ASSERT_TRUE(player.sound().ok());
    EXPECT_LT(call.elapsed(), 500) << "sound() waited for the melody";
    EXPECT_TRUE(WindowFixture::waitFor([&] { return player.isPlaying(); }));
    ASSERT_TRUE(player.sound().ok());  // the same melody again: the first is cut
    EXPECT_TRUE(WindowFixture::waitFor([&] { return player.isPlaying(); }));
    EXPECT_TRUE(WindowFixture::waitFor([&] { return !player.isPlaying(); }, 5000))
        << "the melody never finished";
    player.stop();
    EXPECT_FALSE(player.isPlaying());
}

// Seconds of sound that reached the default sink, through its monitor, from `play`. The null
// sink's latency varies (over a second when it was idle), so the recording goes on until the
// sound was heard and silence followed it.
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

// The end of a melody must not be cut, as Qt's QSoundEffect cuts it. The measurement itself
// loses a little at the start, so the floor is paplay of the same file on the same sink.
TEST_F(QtPlayerTest, TheWholeMelodyReachesTheSinkAsWithPaplay) {
    const QString paplay = QStandardPaths::findExecutable(QStringLiteral("paplay"));
    if (!haveDevice() || paplay.isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty()) {
        GTEST_SKIP() << "no audio output device, or no paplay and parec here";
    }
    const auto host = root / "c" / "Rings" / "half.wav";
    writeFile(host, wav::pcm16File(wav::synthesize({{660, 0.5}}, 22050), 22050, 1));
    const double floor =
        secondsHeard([&] { QProcess::execute(paplay, {QString::fromStdString(host.string())}); });
    const double heard = secondsHeard([&] {
        player.setFileName("C:\\Rings\\half.wav");
        EXPECT_TRUE(player.sound().ok());
    });
    ASSERT_GT(floor, 0.4) << "paplay itself was not heard";
    EXPECT_GT(heard, floor - 0.02) << "heard " << heard << " s, paplay " << floor << " s";
}

TEST_F(QtPlayerTest, WithoutADeviceThePlayerSaysSo) {
    if (haveDevice()) {
        GTEST_SKIP() << "an audio output device is present";
    }
    player.setFileName("C:\\Rings\\tone.wav");
    const Status played = player.sound();
    ASSERT_FALSE(played.ok());
    EXPECT_EQ(played.code(), ErrorCode::NoDevice);
}

}  // namespace
}  // namespace zorvik
