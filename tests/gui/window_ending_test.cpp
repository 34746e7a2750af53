// Requests to end the program from outside the window: the signals of logout, shutdown, kill
// and Ctrl+C, sent to the real program, its window destroyed or asked to close (as the window
// manager's close button asks) by another program, its display's connection broken, and the
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
    enum class Request { Signal, WindowDestroyed, WindowManagersClose, DisplayLost };
    struct Case {
        Request request;
        int signal;
        const char* name;
        bool questionOpen;  // the ring question waits for an answer
        int exitCode = 0;   // Qt's own where the display is gone
    };
    const Case cases[] = {
        {Request::Signal, SIGTERM, "SIGTERM", false},
        {Request::Signal, SIGINT, "SIGINT", false},
        {Request::Signal, SIGHUP, "SIGHUP", false},
        {Request::Signal, SIGTERM, "SIGTERM with the question open", true},
        {Request::WindowDestroyed, 0, "the window destroyed", false},
        {Request::WindowManagersClose, 0, "WM_DELETE_WINDOW with the question open", true},
        // the server closes the program's connection, as at a logout without a session manager
        {Request::DisplayLost, 0, "the display's connection broken", false, 1},
        {Request::DisplayLost, 0, "the display's connection broken with the question open", true,
         1},
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
        switch (request.request) {
            case Request::Signal:
                ::kill(static_cast<pid_t>(running.processId()), request.signal);
                break;
            case Request::WindowDestroyed:
                ASSERT_TRUE(xdotool({QStringLiteral("windowclose"), windows[0]}));
                break;
            case Request::WindowManagersClose:
                askToCloseAsTheWindowManagerDoes(windows[0].toULong());
                break;
            case Request::DisplayLost:
                ASSERT_TRUE(xdotool({QStringLiteral("windowkill"), windows[0]}));
                break;
        }
        ASSERT_TRUE(running.waitForFinished(20000)) << "the program ends";
        EXPECT_EQ(running.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(running.exitCode(), request.exitCode);
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
