#include "tests/gui/desktop_fixture.h"

#include <xcb/xcb.h>

#include <QApplication>
#include <QWindow>
#include <cstdlib>
#include <string_view>

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

void DesktopTest::askToCloseAsTheWindowManagerDoes(unsigned long window) {
    // a connection of its own, as another program's
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    ASSERT_EQ(xcb_connection_has_error(connection), 0);
    const auto atom = [connection](std::string_view name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data()),
            nullptr);
        const xcb_atom_t found = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
        return found;
    };
    xcb_client_message_event_t request{};
    request.response_type = XCB_CLIENT_MESSAGE;
    request.format = 32;
    request.window = static_cast<xcb_window_t>(window);
    request.type = atom("WM_PROTOCOLS");
    request.data.data32[0] = atom("WM_DELETE_WINDOW");
    request.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, request.window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&request));
    // a round trip: the server has sent the message on before this connection goes
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    xcb_disconnect(connection);
}

void DesktopTest::settle() {
    // what the window manager and the server still send arrives within this, and waiting
    // longer changes nothing that is checked
    waitFor([] { return false; }, 250);
}

}  // namespace zorvik::testing
