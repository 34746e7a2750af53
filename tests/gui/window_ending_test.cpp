// Requests to end the program from outside the window: the signals of logout, shutdown, kill
// and Ctrl+C, sent to the real program, its window destroyed by another program, and the
// desktop session ending.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <csignal>

#include "tests/gui/desktop_fixture.h"
#include "tests/support/test_display.h"

namespace zorvik {
namespace {

using testing::readFile;
using testing::writeFile;

class EndingRequests : public testing::DesktopTest {
protected:
    EndingRequests() {
        writeFile(rings() / "a.wav", "a");
        writeFile(rings().parent_path() / "Phone.wav", "ring");
    }

    // The visible windows of a process, once it has at least `count` of them.
    static QStringList windowsOf(const QProcess& running, int count) {
        QStringList windows;
        waitFor([&] {
            windows = QString::fromStdString(
                          testing::commandOutput("xdotool search --onlyvisible --pid " +
                                                 std::to_string(running.processId())))
                          .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            return windows.size() >= count;
        });
        return windows;
    }
};

TEST_F(EndingRequests, EachRequestFromOutsideEndsTheProgramAsTheUsersCloseDoes) {
    struct Case {
        int signal;  // none: another program destroys the window
        const char* name;
        bool questionOpen;  // the ring question waits for an answer
    };
    const Case cases[] = {
        {SIGTERM, "SIGTERM", false},        {SIGINT, "SIGINT", false},
        {SIGHUP, "SIGHUP", false},          {SIGTERM, "SIGTERM with the question open", true},
        {0, "the window destroyed", false},
    };
    for (const auto& request : cases) {
        SCOPED_TRACE(request.name);
        storeOptions("\"RingSound\"=\"a.wav\"\n");  // no options stored yet
        QProcess running;
        running.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        running.start(QStringLiteral(ZORVIK_PROGRAM), {});
        ASSERT_TRUE(running.waitForStarted());
        const QStringList windows = windowsOf(running, 1);
        ASSERT_EQ(windows.size(), 1);
        std::string audio = "\"Audio\"=dword:00000000";
        if (request.questionOpen) {
            // from the list: the first melody, tick Check1, on to Command2 and press it
            ASSERT_TRUE(
                xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), windows[0],
                         QStringLiteral("key"), QStringLiteral("Down"), QStringLiteral("Tab"),
                         QStringLiteral("space"), QStringLiteral("Tab"), QStringLiteral("Tab"),
                         QStringLiteral("Return")}));
            ASSERT_EQ(windowsOf(running, 2).size(), 2) << "the question opens";
            audio = "\"Audio\"=dword:00000001";
        }
        if (request.signal == 0) {
            ASSERT_TRUE(xdotool({QStringLiteral("windowclose"), windows[0]}));
        } else {
            ::kill(static_cast<pid_t>(running.processId()), request.signal);
        }
        ASSERT_TRUE(running.waitForFinished(20000)) << "the program ends";
        EXPECT_EQ(running.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(running.exitCode(), 0);
        const std::string store = readFile(this->store());
        EXPECT_NE(store.find(audio), std::string::npos) << store;
        EXPECT_NE(store.find("\"inDeleted\"=dword:00000000"), std::string::npos) << store;
        EXPECT_EQ(readFile(rings().parent_path() / "Phone.wav"), "ring")
            << "the question was answered Cancel";
    }
}

TEST_F(EndingRequests, TheSessionEndingAnswersTheOpenQuestionBeforeClosing) {
    auto& window = start().window();
    ASSERT_TRUE(waitUntilActive(window));
    clickAt(control("Check1"), control("Check1")->rect().center());
    ASSERT_TRUE(waitFor([&] { return program->form().Check1().Value() == 1; }));
    program->form().selectEntry(0);
    bool handlingWhenClosed = false;
    bool closed = false;
    QTimer endSession;
    QObject::connect(&endSession, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr && box->isActiveWindow()) {
            endSession.stop();
            // what the session manager's "die" comes to in Qt
            QEvent quit(QEvent::Quit);
            QApplication::sendEvent(QApplication::instance(), &quit);
        }
        if (!closed && !window.isVisible()) {
            closed = true;
            handlingWhenClosed = program->form().handling();
        }
    });
    endSession.start(20);
    clickAt(control("Command2"), control("Command2")->rect().center());
    ASSERT_TRUE(waitFor([&] { return !window.isVisible(); }));
    EXPECT_FALSE(handlingWhenClosed) << "the question's handler ended before the window closed";
    EXPECT_TRUE(program->form().unloaded());
    EXPECT_EQ(readFile(rings().parent_path() / "Phone.wav"), "ring") << "answered Cancel";
    EXPECT_NE(readFile(store()).find("\"Audio\"=dword:00000001"), std::string::npos);
}

}  // namespace
}  // namespace zorvik
