#pragma once

#include <sys/resource.h>

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <functional>

// For the start-up probes: waits until a window has been painted for the first time (and any
// further condition holds), then reports the moment on the steady clock, which the parent
// process shares, and the peak memory.
namespace zorvik::bench {

class PaintWatcher final : public QObject {
public:
    explicit PaintWatcher(QWidget& window) { window.installEventFilter(this); }
    bool painted() const { return painted_; }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        painted_ = painted_ || event->type() == QEvent::Paint;
        return false;
    }

private:
    bool painted_ = false;
};

inline int reportFirstPaint(
    QWidget& window, const std::function<bool()>& alsoDone = [] { return true; }) {
    PaintWatcher watcher(window);
    while (!watcher.painted() || !alsoDone()) {
        QApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::AllEvents, 5);
    }
    QApplication::processEvents();  // the paint that was seen has now been drawn
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf(
        "%lld %ld\n",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
        usage.ru_maxrss);
    return 0;
}

}  // namespace zorvik::bench
