#include "main_window/qt/native_window_watch.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QWidget>

namespace zorvik::gui {

NativeWindowWatch::NativeWindowWatch(const QWidget& window, std::function<void()> gone)
    : window_(window), gone_(std::move(gone)) {
    // elsewhere (offscreen, Wayland) no other program can take the window away
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        QCoreApplication::instance()->installNativeEventFilter(this);
        installed_ = true;
    }
}

NativeWindowWatch::~NativeWindowWatch() {
    if (installed_ && QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool NativeWindowWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || !window_.testAttribute(Qt::WA_WState_Created)) {
        return false;
    }
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    // the top bit marks an event another client sent; a destroy is the server's own
    if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY) {
        return false;
    }
    const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
    if (destroyed->window == static_cast<xcb_window_t>(window_.internalWinId()) && gone_) {
        gone_();
    }
    return false;
}

}  // namespace zorvik::gui
