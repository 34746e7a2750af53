#include "platform/qt/qt_progress.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <cstdint>

#include "platform/scoped_value.h"

namespace zorvik {

namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The user's input goes nowhere while the dialog is hidden (before it shows, and after a cancel
// while the copy cleans up), as under the modal dialog itself; a request to close the window is
// no input, and still reaches it. While the dialog shows, everything passes: its Escape is a
// shortcut event.
class InputHold final : public QObject {
public:
    explicit InputHold(const QWidget& dialog) : dialog_(dialog) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~InputHold() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (dialog_.isVisible()) {
            return QObject::eventFilter(watched, event);
        }
        switch (event->type()) {
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::Shortcut:
            case QEvent::Wheel:
            case QEvent::ContextMenu:
            case QEvent::TouchBegin:
            case QEvent::TouchUpdate:
            case QEvent::TouchEnd:
                return true;
            default:
                return QObject::eventFilter(watched, event);
        }
    }

private:
    const QWidget& dialog_;
};

}  // namespace

QtProgress::QtProgress(QWidget* parent, std::string_view caption)
    : parent_(parent), caption_(fromUtf8(caption)) {}

void QtProgress::dismiss() {
    if (running_ != nullptr) {
        running_->cancelAndWait();
    }
}

bool QtProgress::run(std::string_view doing, const std::function<void(CopyProgress&)>& work) {
    if (running_ != nullptr) {
        // the window takes no command while a copy runs: nothing should come here
        CopyWorker here;
        work(here);
        return true;
    }
    constexpr int kSteps = 1000;  // a bar's int cannot count the bytes of large files
    QProgressDialog dialog(fromUtf8(doing), fromUtf8(texts::kCancelCaption), 0, kSteps, parent_);
    dialog.setWindowTitle(caption_);
    // The window manager cuts a title wider than its bar; the window shows this very caption
    // whole at its own width.
    if (parent_ != nullptr) {
        dialog.setMinimumWidth(parent_->window()->width());
    }
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setAutoReset(false);  // a full bar stays until the copy has ended
    dialog.setMinimumDuration(delayMs_);
    dialog.setValue(0);  // from now, the dialog shows once the delay has passed
    const InputHold hold(dialog);

    QEventLoop loop;
    CopyWorker worker;  // gone, its thread ended, before the loop it wakes
    const ScopedValue current(running_, &worker);
    // its button, Escape (a shortcut, which the hold lets through) and its close box
    QObject::connect(&dialog, &QProgressDialog::canceled, &loop,
                     [&worker] { worker.cancelled = true; });
    worker.start(work, [&loop] {
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    QTimer ticks;
    QObject::connect(&ticks, &QTimer::timeout, &loop, [&] {
        const std::uint64_t total = worker.total;
        // not before it shows: a value would let Qt show it early, on its own estimate
        if (dialog.isVisible() && total != 0) {
            dialog.setValue(static_cast<int>(worker.done * kSteps / total));
        }
        // should the thread's own word have been taken by another loop
        if (worker.finished) {
            loop.quit();
        }
    });
    ticks.start(100);
    while (!worker.finished) {
        loop.exec();
    }
    worker.finish();
    // a cancel heard up to here, while the dialog still showed, undoes the work
    return !worker.cancelled;
}

}  // namespace zorvik
