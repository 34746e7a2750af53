#pragma once

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <functional>

class QWidget;

namespace zorvik::gui {

// What X11 tells of a window that Qt does not pass on: that another program destroyed its
// native window under Qt's feet (X11 lets any client do so), where Qt does not notice and the
// process would go on with no window; and a request to close it (the window manager's close
// button, another program's WM_DELETE_WINDOW) while a modal dialog is open, which Qt drops
// since the dialog blocks the window.
class NativeWindowWatch final : public QAbstractNativeEventFilter {
public:
    NativeWindowWatch(const QWidget& window, std::function<void()> gone,
                      std::function<void()> closeAsked);
    ~NativeWindowWatch() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    bool isCloseRequest(const void* message) const;

    const QWidget& window_;
    std::function<void()> gone_;
    std::function<void()> closeAsked_;
    std::uint32_t protocols_ = 0;  // the atoms WM_PROTOCOLS and WM_DELETE_WINDOW
    std::uint32_t deleteWindow_ = 0;
    bool installed_ = false;
};

}  // namespace zorvik::gui
