#pragma once

#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <functional>

// For the start-up probes: once the window has been painted for the first time and `alsoDone`
// holds, prints the moment on the steady clock (which the parent process shares) and the peak
// memory, and ends the process. The report is queued from the first paint itself, ahead of what
// the program queues behind that paint (its sound module, which start-up does not wait for).
namespace zorvik::bench {

class FirstPaintReport final : public QObject {
public:
    FirstPaintReport(QWidget& window, std::function<bool()> alsoDone)
        : alsoDone_(std::move(alsoDone)) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && !queued_) {
            queued_ = true;
            QMetaObject::invokeMethod(
                this, [this] { reportWhenDone(); }, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void reportWhenDone() {
        if (!alsoDone_()) {
            QMetaObject::invokeMethod(
                this, [this] { reportWhenDone(); }, Qt::QueuedConnection);
            return;
        }
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("%lld %ld\n",
                    static_cast<long long>(
                        std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
                    usage.ru_maxrss);
        std::fflush(stdout);
        _exit(0);  // what follows start-up is not measured
    }

    std::function<bool()> alsoDone_;
    bool queued_ = false;
};

inline int reportFirstPaint(
    QWidget& window, std::function<bool()> alsoDone = [] { return true; }) {
    const FirstPaintReport report(window, std::move(alsoDone));
    return QApplication::exec();
}

}  // namespace zorvik::bench
