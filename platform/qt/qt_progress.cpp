#include "platform/qt/qt_progress.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cstdint>

#include "platform/scoped_value.h"

namespace zorvik {

namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Escape and the window's close button cancel as the button does; the dialog stays until the
// copy has stopped, so that the window takes no command meanwhile.
class CopyDialog final : public QDialog {
public:
    CopyDialog(QWidget* parent, const QString& caption, const QString& text,
               std::atomic<bool>& cancelled)
        : QDialog(parent), cancelled_(cancelled) {
        setWindowTitle(caption);
        setWindowModality(Qt::ApplicationModal);
        auto* layout = new QVBoxLayout(this);
        auto* label = new QLabel(text, this);
        label->setObjectName(QStringLiteral("text"));
        layout->addWidget(label);
        bar_ = new QProgressBar(this);
        bar_->setRange(0, kSteps);
        bar_->setMinimumWidth(320);
        layout->addWidget(bar_);
        cancel_ = new QPushButton(fromUtf8(kCancelCopyCaption), this);
        cancel_->setObjectName(QStringLiteral("cancel"));
        layout->addWidget(cancel_, 0, Qt::AlignHCenter);
        connect(cancel_, &QPushButton::clicked, this, [this] { reject(); });
    }

    void showProgress(std::uint64_t done, std::uint64_t total) {
        bar_->setValue(total == 0 ? 0 : static_cast<int>(done * kSteps / total));
    }
    void reject() override {
        cancelled_ = true;
        cancel_->setEnabled(false);
    }

private:
    static constexpr int kSteps = 1000;  // a bar's int cannot count the bytes of large files
    std::atomic<bool>& cancelled_;
    QProgressBar* bar_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

// The user's input goes nowhere until the dialog shows, as under a modal dialog; a request to
// close the window is no input, and still reaches it.
class InputHold final : public QObject {
public:
    InputHold() { QCoreApplication::instance()->installEventFilter(this); }
    ~InputHold() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
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
};

}  // namespace

QtProgress::QtProgress(QWidget* parent, std::string_view caption)
    : parent_(parent), caption_(fromUtf8(caption)) {}

void QtProgress::dismiss() {
    if (running_ != nullptr) {
        running_->cancelAndWait();
    }
}

void QtProgress::run(std::string_view fileName, const std::function<void(CopyProgress&)>& work) {
    if (running_ != nullptr) {
        // the window takes no command while a copy runs: nothing should come here
        CopyWorker here;
        work(here);
        return;
    }
    QEventLoop loop;
    CopyWorker worker;  // gone, its thread ended, before the loop it wakes
    const ScopedValue current(running_, &worker);
    worker.start(work, [&loop] {
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    QTimer::singleShot(delayMs_, &loop, [&loop] { loop.quit(); });
    if (!worker.finished) {
        const InputHold hold;
        loop.exec();
    }
    if (!worker.finished) {
        CopyDialog dialog(parent_, caption_, fromUtf8(copyingText(fileName)), worker.cancelled);
        QTimer ticks;
        QObject::connect(&ticks, &QTimer::timeout, &dialog, [&] {
            dialog.showProgress(worker.done, worker.total);
            // should the thread's own word have been taken by another loop
            if (worker.finished) {
                loop.quit();
            }
        });
        ticks.start(100);
        dialog.showProgress(worker.done, worker.total);
        dialog.show();
        while (!worker.finished) {
            loop.exec();
        }
    }
    worker.finish();
}

}  // namespace zorvik
