#include "tests/gui/desktop_fixture.h"

#include <QApplication>
#include <QWindow>

namespace zorvik::testing {

std::string& desktopUnavailableReason() {
    static std::string reason;
    return reason;
}

void DesktopTest::SetUp() {
    if (!desktopUnavailableReason().empty()) {
        GTEST_SKIP() << desktopUnavailableReason();
    }
}

void DesktopTest::TearDown() {
    if (another_.state() != QProcess::NotRunning) {
        another_.kill();
        another_.waitForFinished();
    }
}

bool DesktopTest::xdotool(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

void DesktopTest::clickAt(QWidget* widget, QPoint point) {
    QWidget* window = widget->window();
    const QPoint inWindow = widget->mapTo(window, point);
    ASSERT_TRUE(
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"),
                 QString::number(window->winId()), QString::number(inWindow.x()),
                 QString::number(inWindow.y()), QStringLiteral("click"), QStringLiteral("1")}));
}

void DesktopTest::activateAnotherProgram() {
    if (another_.state() == QProcess::NotRunning) {
        another_.start(QStringLiteral("xmessage"),
                       {QStringLiteral("-title"), QStringLiteral("zorvik-another-program"),
                        QStringLiteral("another program")});
        ASSERT_TRUE(another_.waitForStarted()) << "xmessage is needed as another program";
    }
    ASSERT_TRUE(xdotool({QStringLiteral("search"), QStringLiteral("--sync"),
                         QStringLiteral("--name"), QStringLiteral("^zorvik-another-program$"),
                         QStringLiteral("windowactivate"), QStringLiteral("--sync")}));
    ASSERT_TRUE(waitFor([] { return QApplication::activeWindow() == nullptr; }));
    settle();
}

bool DesktopTest::waitUntilActive(QWidget& window) {
    return waitFor([&] {
        return window.isActiveWindow() && window.windowHandle() != nullptr &&
               window.windowHandle()->isExposed();
    });
}

void DesktopTest::settle() {
    // what the window manager and the server still send arrives within this, and waiting
    // longer changes nothing that is checked
    waitFor([] { return false; }, 250);
}

}  // namespace zorvik::testing
