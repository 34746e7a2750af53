#include "tests/gui/window_fixture.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QWheelEvent>

namespace zorvik::testing {

WindowFixture::~WindowFixture() {
    if (program) {
        window().hide();
    }
}

std::filesystem::path WindowFixture::installed(const std::string& place) const {
    std::string relative = place;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    return rings().parent_path() / relative;
}

std::string WindowFixture::readInstalled(const std::string& place) {
    return std::filesystem::exists(installed(place)) ? readFile(installed(place)) : std::string();
}

void WindowFixture::chooseNextInTheOpenFileDialog(const std::string& name) {
    const auto chosen = root / "pick" / name;
    std::filesystem::create_directories(chosen.parent_path());
    writeFile(chosen, testing::waveFile("new melody"));
    answerFileDialogs(QString::fromStdString(chosen.string()));
}

void WindowFixture::answerFileDialogs(QString hostPath) {
    nextFile_ = std::move(hostPath);
    dialogs_.disconnect();
    QObject::connect(&dialogs_, &QTimer::timeout, [this] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) {
            return;
        }
        if (const QString chosen = std::exchange(nextFile_, QString()); !chosen.isEmpty()) {
            // typed whole into the name box, as a user may, and Open pressed
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(chosen);
            static_cast<QDialog*>(dialog)->accept();
        } else {
            dialog->reject();
        }
    });
    dialogs_.start(10);
}

void WindowFixture::watch(std::function<bool()> tick) {
    watch_.disconnect();
    QObject::connect(&watch_, &QTimer::timeout, [this, tick = std::move(tick)] {
        if (tick()) {
            watch_.stop();
        }
    });
    watch_.start(10);
}

void WindowFixture::stopTheNextProgress(Stop how, bool atTheFlush, ProgressSeen* seen) {
    platform().progress().setDialogDelay(0);
    auto hold = std::make_shared<FlushHold>();
    if (atTheFlush) {
        setStepFaults(static_cast<TransactionalFileSystem&>(platform().files()),
                      FlushHold::of(hold));
    }
    auto ticks = std::make_shared<int>(0);
    watch([this, how, atTheFlush, seen, hold, ticks] {
        auto* dialog = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible() || (atTheFlush && !hold->flushing) ||
            (seen != nullptr && dialog->value() <= 0 && ++*ticks < 100)) {
            return false;
        }
        auto* cancel = dialog->findChild<QPushButton*>();
        if (seen != nullptr) {
            seen->title = dialog->windowTitle().toStdString();
            seen->text = dialog->labelText().toStdString();
            seen->button = cancel->text().toStdString();
            seen->barMoved = dialog->value() > 0;
            // a click as the window system delivers it, which modality holds back
            QWidget* check1 = control("Check1");
            const auto before = qobject_cast<QCheckBox*>(check1)->checkState();
            QTest::mouseClick(window().windowHandle(), Qt::LeftButton, {},
                              check1->mapTo(&window(), check1->rect().center()));
            seen->windowTakesInput = qobject_cast<QCheckBox*>(check1)->checkState() != before;
            seen->width = dialog->frameGeometry().width();
            seen->windowWidth = window().frameGeometry().width();
        }
        // The Cancel comes after the last report either way: the flush goes on meanwhile. A
        // close may come through the X server, and lets the flush go on once the window hears it.
        if (how == Stop::WindowClosed) {
            closeHeard_ =
                std::make_unique<EventHeard>(QEvent::Close, [hold] { hold->released = true; });
            window().installEventFilter(closeHeard_.get());
        } else {
            hold->released = true;
        }
        switch (how) {
            case Stop::CancelButton:
                QTest::mouseClick(cancel, Qt::LeftButton);
                break;
            case Stop::Escape:
                // as the user's key reaches it: in the active window
                dialog->activateWindow();
                (void)QTest::qWaitForWindowActive(dialog);
                QTest::keyClick(dialog, Qt::Key_Escape);
                break;
            case Stop::CloseBox:
                dialog->close();
                break;
            case Stop::WindowClosed:
                askToClose();
                break;
        }
        return true;
    });
}

void WindowFixture::closeWhenAQuestionShows(int answeredFirst) {
    answered().boxes().clear();
    answered().boxes().queue(kAnswerOk, answeredFirst);
    wentWhileHandling_ = false;
    goneWatch_ = std::make_unique<EventHeard>(QEvent::Hide, [this] {
        wentWhileHandling_ = wentWhileHandling_ || program->form().handling();
    });
    window().installEventFilter(goneWatch_.get());
    // a question still open long after the close is answered OK: the row then fails on what
    // that did, rather than waiting for a person
    auto ticks = std::make_shared<int>(-1);
    watch([this, ticks] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return false;
        }
        if (*ticks < 0) {
            askToClose();
        } else if (*ticks > 300) {
            box->button(QMessageBox::Ok)->click();
        }
        ++*ticks;
        return false;
    });
}

std::vector<std::uint32_t> WindowFixture::listPixels(bool drawnAnew) {
    QWidget* viewport = list()->viewport();
    if (drawnAnew) {
        viewport->repaint();
    }
    waitFor([] { return false; }, 50);
    // the screen's pixels: on the offscreen platform, the window's backing store
    const QPoint at = viewport->mapTo(&window(), QPoint(0, 0));
    const QImage shown =
        window()
            .screen()
            ->grabWindow(window().winId(), at.x(), at.y(), viewport->width(), viewport->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    const auto* first = reinterpret_cast<const std::uint32_t*>(shown.constBits());
    return {first, first + shown.width() * shown.height()};
}

void WindowFixture::wheelDownOverTheList() {
    QWidget& viewport = *list()->viewport();
    QWheelEvent wheel(QPointF(5, 5), viewport.mapToGlobal(QPointF(5, 5)), QPoint(),
                      QPoint(0, -QWheelEvent::DefaultDeltasPerStep), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&viewport, &wheel);
    waitFor([] { return false; }, 100);
}

}  // namespace zorvik::testing
