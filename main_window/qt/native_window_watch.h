#pragma once

#include <QAbstractNativeEventFilter>
#include <functional>

class QWidget;

namespace zorvik::gui {

// Tells when another program destroys a window's native window under Qt's feet (X11 lets any
// client do so). Qt itself does not notice, and the process would go on with no window.
class NativeWindowWatch final : public QAbstractNativeEventFilter {
public:
    NativeWindowWatch(const QWidget& window, std::function<void()> gone);
    ~NativeWindowWatch() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    const QWidget& window_;
    std::function<void()> gone_;
    bool installed_ = false;
};

}  // namespace zorvik::gui
