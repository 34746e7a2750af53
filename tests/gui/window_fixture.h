#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHelpEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <filesystem>
#include <memory>
#include <string>

#include "main_window/qt/controls.h"
#include "main_window/qt/qt_desktop.h"
#include "tests/support/answered_boxes.h"
#include "tests/support/sound_files.h"
#include "tests/support/temp_folder.h"
#include "tests/support/window_behaviours.h"

namespace zorvik::testing {

// The whole program as it starts on a desktop, with drive C: (holding the install folder) and
// the settings store in a folder of its own. Every melody it plays fails and says so in a box,
// so that a box counts each play.
class WindowFixture : public WindowDriver {
public:
    WindowFixture() {
        std::filesystem::create_directories(rings() / "Deleted");
        setenv("ZORVIK_DRIVE_C", (root / "c").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    }
    ~WindowFixture() override;

    std::filesystem::path rings() const {
        return root / "c" / "Program Files" / "Zorvik" / "Rings";
    }
    std::filesystem::path store() const { return root / "config" / "zorvik" / "HKCU.reg"; }

    // Starts the program, its first `cancelledBoxes` boxes answered Cancel unseen and every
    // open-file dialog cancelled unless a row chose a file, and waits for its first repaint.
    QtDesktop& start(int cancelledBoxes = 0) {
        auto answering = std::make_unique<AnsweredDesktop>(createDesktop(0, nullptr));
        answering->boxes().queue(kAnswerCancel, cancelledBoxes);
        program = std::make_unique<Program>(std::move(answering));
        answerFileDialogs();
        program->start();
        // the first repaint runs as the window is shown, before it is on the screen
        waitFor([&] {
            return window().repaintsRequested() > 0 && window().windowHandle()->isExposed();
        });
        return desktop();
    }
    AnsweredDesktop& answered() { return static_cast<AnsweredDesktop&>(program->desktop()); }
    QtDesktop& desktop() { return static_cast<QtDesktop&>(answered().real()); }
    gui::Form1Window& window() { return desktop().window(); }
    QtPosixPlatform& platform() { return desktop().services(); }
    template <typename Condition>
    static bool waitFor(Condition condition, int milliseconds = 3000) {
        QElapsedTimer timer;
        timer.start();
        while (!condition() && timer.elapsed() < milliseconds) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return condition();
    }
    QWidget* control(std::string_view name) { return window().control(name); }

    // What the shared table of window behaviours does and reads, through Qt's events.
    void addMelody(const std::string& name, bool inDeleted) override {
        writeFile((inDeleted ? rings() / "Deleted" : rings()) / name, "not a sound");
    }
    void addPlayableMelody(const std::string& name) override {
        writeFile(rings() / name, testing::waveFile(name));
    }
    void storeOptions(const std::string& valueLines) override {
        std::filesystem::create_directories(store().parent_path());
        writeFile(store(),
                  "Windows Registry Editor Version 5.00\n\n"
                  "[HKEY_CURRENT_USER\\Zorvik\\Setings]\n" +
                      valueLines);
    }
    std::string storedOptions() override { return readFile(store()); }
    Form1& startWindow() override {
        start(20);
        window().activateWindow();
        waitFor([this] { return window().isActiveWindow() && QApplication::focusWidget(); });
        return program->form();
    }

    void press(Key key, int repeats) override {
        static const struct {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
        } keys[] = {{Qt::Key_Tab, Qt::NoModifier},       {Qt::Key_Backtab, Qt::ShiftModifier},
                    {Qt::Key_Down, Qt::NoModifier},      {Qt::Key_Return, Qt::NoModifier},
                    {Qt::Key_Enter, Qt::KeypadModifier}, {Qt::Key_Space, Qt::NoModifier}};
        const auto& pressed = keys[static_cast<int>(key)];
        // the window may still be winning its activation back from a popup that just closed
        waitFor([] { return QApplication::focusWidget() != nullptr; });
        QWidget* target = QApplication::focusWidget();
        if (target == nullptr) {
            ADD_FAILURE() << "no control has the keyboard focus";
            return;
        }
        for (int press = 0; press <= repeats; ++press) {
            QKeyEvent down(QEvent::KeyPress, pressed.key, pressed.modifiers, QString(), press > 0);
            QApplication::sendEvent(target, &down);
        }
        QTest::keyRelease(target, pressed.key, pressed.modifiers);
    }
    void focus(std::string_view name) override { control(name)->setFocus(); }
    std::string focused() override {
        QWidget* now = QApplication::focusWidget();
        return now != nullptr ? now->objectName().toStdString() : std::string();
    }
    void clickRow(int row) override {
        const QRect item = list()->visualRect(list()->model()->index(row, 0));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, item.center());
    }
    void clickBelowTheNames() override {
        const QWidget* names = list()->viewport();
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, QPoint(4, names->height() - 2));
    }
    void clickControl(std::string_view name) override {
        QTest::mouseClick(control(name), Qt::LeftButton);
    }
    int reactivate(int times) override {
        waitFor([] { return false; }, 100);  // what came before settles first
        const int before = window().repaintsRequested();
        for (int i = 0; i < times; ++i) {
            QEvent activate(QEvent::WindowActivate);
            QApplication::sendEvent(&window(), &activate);
        }
        waitFor([&] { return window().repaintsRequested() > before; });
        waitFor([] { return false; }, 100);
        return window().repaintsRequested() - before;
    }
    void closeWindow() override { window().close(); }
    // How a row's close reaches the window while a dialog is open: here the window's own.
    virtual void askToClose() { window().close(); }
    Place menuShownAfter(std::optional<Key> key, bool chooseSecond) override {
        auto* button = control("Command1");
        const QPoint inside(10, 10);
        QCursor::setPos(button->mapToGlobal(inside));
        // Offscreen, a popup closed before its own activation arrived is left the active
        // window, and no window manager gives the activation back as on a desktop.
        if (!window().isActiveWindow()) {
            window().activateWindow();
            waitFor([this] { return window().isActiveWindow(); });
        }
        button->setFocus();
        QPoint shownAt;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            QMenu* menu = window().popupMenu();
            if (!menu->isVisible()) {
                return;
            }
            watch.stop();
            shownAt = menu->pos();
            if (chooseSecond) {
                menu->setActiveAction(menu->actions().at(1));
                QTest::keyClick(menu, Qt::Key_Return);
            } else {
                menu->close();
            }
        });
        watch.start(10);
        if (key) {
            press(*key, 0);
        } else {
            QTest::mouseClick(button, Qt::LeftButton, {}, inside);
        }
        shownAt -= button->mapToGlobal(QPoint(0, 0));
        return {shownAt.x(), shownAt.y()};
    }

    void answerBoxes(int answer) override {
        answered().boxes().clear();
        answered().boxes().queue(answer, 200);
    }

    std::vector<std::string> listed() override {
        std::vector<std::string> names;
        for (int row = 0; row < list()->count(); ++row) {
            names.push_back(list()->entry(row).toStdString());
        }
        return names;
    }
    int selectedRow() override { return list()->selectedRow(); }
    std::string textOf(std::string_view name) override {
        // a frame's caption is its title; a button's or a text box's, its text
        QWidget* shown = control(name);
        return shown->property(qobject_cast<QGroupBox*>(shown) ? "title" : "text")
            .toString()
            .toStdString();
    }
    int checkShown(std::string_view name) override {
        static const int shown[] = {CheckBox::kClear, CheckBox::kGreyed, CheckBox::kTicked};
        return shown[qobject_cast<QCheckBox*>(control(name))->checkState()];
    }
    std::string tipOver(int row) override {
        const QPoint at = list()->visualRect(list()->model()->index(row, 0)).center();
        QHelpEvent hover(QEvent::ToolTip, at, list()->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list()->viewport(), &hover);
        for (QWidget* tip : QApplication::topLevelWidgets()) {
            if (tip->inherits("QTipLabel") && tip->isVisible() &&
                tip->screen()->geometry().contains(tip->frameGeometry())) {
                return QToolTip::text().remove(QLatin1Char('\n')).toStdString();
            }
        }
        return {};
    }
    std::vector<std::string> boxesShown() override { return answered().boxes().answered(); }
    int playsStarted() override {
        int plays = 0;
        for (const auto& message : answered().boxes().answered()) {
            plays += message.find("не може да бъде изсвирена") != std::string::npos ? 1 : 0;
        }
        return plays;
    }
    std::vector<std::string> menuCaptions() override {
        std::vector<std::string> captions;
        for (QAction* item : window().popupMenu()->actions()) {
            captions.push_back(item->text().toStdString());
        }
        return captions;
    }
    bool hasMenuBar() override {
        return !window().findChildren<QMenuBar*>().isEmpty() || window().popupMenu()->isVisible();
    }
    Place placeOf(std::string_view name) override {
        const QRect at = control(name)->geometry();
        return {at.x(), at.y(), at.width(), at.height()};
    }
    std::string containerOf(std::string_view name) override {
        QWidget* parent = control(name)->parentWidget();
        return parent == &window() ? std::string() : parent->objectName().toStdString();
    }
    bool visible(std::string_view name) override { return control(name)->isVisible(); }
    int dpi() override { return 96; }

    std::filesystem::path installed(const std::string& place) const;
    void writeInstalled(const std::string& place, const std::string& bytes) override {
        writeFile(installed(place), bytes);
    }
    std::string readInstalled(const std::string& place) override;
    std::string listInstalled(const std::string& folder) override {
        return listing(installed(folder));
    }
    void chooseNextInTheOpenFileDialog(const std::string& name) override;
    // The next open-file dialog chooses `hostPath` as the user would, or is cancelled (""): a
    // dialog no row expects is cancelled, not left open until the run's time runs out.
    void answerFileDialogs(QString hostPath = {});
    bool installFolderNeedsRights() override { return false; }
    ProgressService& progress() override { return platform().progress(); }
    void stopTheNextProgress(Stop how, bool atTheFlush, ProgressSeen* seen) override;
    void closeWhenAQuestionShows(int answeredFirst) override;
    bool wentWhileAHandlerRan() override { return wentWhileHandling_; }
    bool windowGone() override { return program->form().closed() && !window().isVisible(); }
    std::vector<std::uint32_t> listPixels(bool drawnAnew) override;
    void wheelDownOverTheList() override;
    Look lookOf(std::string_view name) override {
        const QFont font = control(name)->font();
        const QPalette colours = control(name)->palette();
        return {
            {pixelsOfPoints(font.pointSizeF(), dpi()), font.weight() >= QFont::Bold, font.italic()},
            colours.color(QPalette::Text).rgb() & 0xFFFFFFu,
            colours.color(QPalette::Base).rgb() & 0xFFFFFFu};
    }
    std::uint32_t buttonFace() override {
        return window().palette().color(QPalette::Button).rgb() & 0xFFFFFFu;
    }
    std::string caption() override { return window().windowTitle().toStdString(); }
    bool resizable() override { return window().minimumSize() != window().maximumSize(); }
    Place clientArea() override { return {0, 0, window().width(), window().height()}; }
    int iconSide() override { return window().windowIcon().availableSizes().value(0).width(); }

    gui::MelodyListWidget* list() { return static_cast<gui::MelodyListWidget*>(control("File1")); }

    TempFolder root;
    std::unique_ptr<Program> program;

private:
    // `tick` on this thread every few milliseconds, until it says it is done
    void watch(std::function<bool()> tick);

    // Tells of an event of one type that the object watched receives, before that object does.
    class EventHeard final : public QObject {
    public:
        EventHeard(QEvent::Type type, std::function<void()> heard)
            : type_(type), heard_(std::move(heard)) {}
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == type_) {
                heard_();
            }
            return false;
        }

    private:
        QEvent::Type type_;
        std::function<void()> heard_;
    };

    QTimer watch_;
    QTimer dialogs_;
    QString nextFile_;
    std::unique_ptr<EventHeard> goneWatch_;
    std::unique_ptr<EventHeard> closeHeard_;
    bool wentWhileHandling_ = false;
};

}  // namespace zorvik::testing
