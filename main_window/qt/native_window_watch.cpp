#include "main_window/qt/native_window_watch.h"

#include <xcb/xcb.h>

#include <QtGui/qguiapplication_platform.h>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <string_view>

namespace zorvik::gui {

namespace {

std::uint32_t atomNamed(xcb_connection_t* connection, std::string_view name) {
    const auto cookie =
        xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(name.size()), name.data());
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    const std::uint32_t atom = reply != nullptr ? reply->atom : std::uint32_t{XCB_ATOM_NONE};
    std::free(reply);
    return atom;
}

}  // namespace

NativeWindowWatch::NativeWindowWatch(const QWidget& window, std::function<void()> gone,
                                     std::function<void()> closeAsked)
    : window_(window), gone_(std::move(gone)), closeAsked_(std::move(closeAsked)) {
    // elsewhere (offscreen, Wayland) no other program can take the window away
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        return;
    }
    if (auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()) {
        protocols_ = atomNamed(x11->connection(), "WM_PROTOCOLS");
        deleteWindow_ = atomNamed(x11->connection(), "WM_DELETE_WINDOW");
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
    installed_ = true;
}

NativeWindowWatch::~NativeWindowWatch() {
    if (installed_ && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool NativeWindowWatch::isCloseRequest(const void* message) const {
    const auto* asked = static_cast<const xcb_client_message_event_t*>(message);
    return deleteWindow_ != XCB_ATOM_NONE && asked->format == 32 && asked->type == protocols_ &&
           asked->data.data32[0] == deleteWindow_;
}

bool NativeWindowWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !window_.testAttribute(Qt::WA_WState_Created)) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const auto ours = static_cast<xcb_window_t>(window_.internalWinId());
    // the top bit marks an event another client sent: a destroy is the server's own, a close
    // request comes from the window manager or any other program
    switch (event->response_type & 0x7f) {
        case XCB_DESTROY_NOTIFY:
            if (static_cast<const xcb_destroy_notify_event_t*>(message)->window == ours && gone_) {
                gone_();
            }
            return false;
        case XCB_CLIENT_MESSAGE: {
            const QWindow* modal = QGuiApplication::modalWindow();
            if (static_cast<const xcb_client_message_event_t*>(message)->window != ours ||
                !isCloseRequest(message) || modal == nullptr || modal == window_.windowHandle() ||
                !closeAsked_) {
                return false;  // Qt hears it itself
            }
            closeAsked_();
            return true;
        }
        default:
            return false;
    }
}

}  // namespace zorvik::gui
