#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include "main_window/qt/controls.h"
#include "tests/gui/desktop_fixture.h"
#include "tests/support/test_display.h"

namespace zorvik {
namespace {

using testing::pressKey;
using testing::writeFile;

class OnTheDesktop : public testing::DesktopTest {
protected:
    // none of them plays: with the sound on, each click brings a box
    OnTheDesktop() {
        for (const auto& name : names) {
            writeFile(rings() / name, "not a sound");
        }
    }
    QPoint centreOf(int row) { return list()->visualRect(list()->model()->index(row, 0)).center(); }

    // Every error box that opens is answered by a person pressing Enter.
    void answerEveryBoxWithEnter() {
        QObject::connect(&boxWatch_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr && box != answered_ && box->isActiveWindow() &&
                box->windowHandle()->isExposed()) {
                answered_ = box;
                ++boxesAnswered_;
                pressKey("Return");
            }
        });
        boxWatch_.start(20);
    }
    // Whether the list looks different in `area` with the focus than without it.
    bool showsFocusCueIn(QRect area) {
        list()->setFocus();
        const QImage focused = list()->viewport()->grab(area).toImage();
        control("Check1")->setFocus();
        const QImage unfocused = list()->viewport()->grab(area).toImage();
        list()->setFocus();
        return focused != unfocused;
    }

    const std::vector<std::string> names = {"a.wav", "b.wav", "c.wav", "d.wav"};
    QTimer boxWatch_;
    QPointer<QMessageBox> answered_;
    int boxesAnswered_ = 0;
};

TEST_F(OnTheDesktop, TheClickThatBringsTheWindowBackKeepsItsSelection) {
    auto& window = start().window();
    ASSERT_TRUE(waitUntilActive(window));
    // where the activation and the click come in one batch the click lost every time; the order
    // may vary with the load, so it is tried on every entry
    for (int row = 0; row < static_cast<int>(names.size()); ++row) {
        SCOPED_TRACE(names[static_cast<std::size_t>(row)]);
        activateAnotherProgram();
        const int repaints = program->form().repaintsRun();
        clickAt(list()->viewport(), centreOf(row));
        ASSERT_TRUE(waitUntilActive(window));
        ASSERT_TRUE(waitFor([&] { return program->form().repaintsRun() > repaints; }))
            << "becoming active again repaints the window";
        settle();
        EXPECT_EQ(list()->selectedRow(), row);
        EXPECT_EQ(program->form().File1().FileName(), names[static_cast<std::size_t>(row)])
            << "the melody clicked is the one marked";
    }
}

TEST_F(OnTheDesktop, TheMelodyLastClickedStaysMarkedAfterEveryBoxAndRepaint) {
    // each step down the list brings a box and then a repaint
    storeOptions("\"Audio\"=dword:00000001\n");
    auto& window = start().window();
    ASSERT_TRUE(waitUntilActive(window));
    ASSERT_TRUE(list()->hasFocus());
    EXPECT_TRUE(showsFocusCueIn(list()->viewport()->rect())) << "with no place yet, round the list";
    answerEveryBoxWithEnter();
    for (std::size_t step = 0; step < names.size(); ++step) {
        SCOPED_TRACE(names[step]);
        const int repaints = program->form().repaintsRun();
        pressKey("Down");
        ASSERT_TRUE(waitFor([&] {
            return boxesAnswered_ == static_cast<int>(step) + 1 &&
                   QApplication::activeModalWidget() == nullptr && window.isActiveWindow() &&
                   program->form().repaintsRun() > repaints;
        }));
        settle();
        EXPECT_EQ(program->form().s(), "C:\\Program Files\\Zorvik\\Rings\\" + names[step]);
        EXPECT_EQ(list()->selectedRow(), static_cast<int>(step))
            << "the melody the buttons act on stays marked";
        EXPECT_EQ(list()->currentIndex().row(), static_cast<int>(step))
            << "with the keyboard there";
        EXPECT_TRUE(showsFocusCueIn(list()->visualRect(list()->currentIndex()))) << "and shows it";
    }
}

// The rows on a close while a dialog is open, the close coming through the X server as the
// window manager's close button sends it, which Qt drops under a modal dialog.
class AskedToCloseOverX11 : public testing::DesktopTest,
                            public ::testing::WithParamInterface<testing::WindowBehaviour> {};

TEST_P(AskedToCloseOverX11, Behaves) {
    GetParam().run(*this);
}

std::vector<testing::WindowBehaviour> closesUnderADialog() {
    std::vector<testing::WindowBehaviour> rows;
    for (const auto& row : testing::modalBehaviours()) {
        const std::string_view name = row.name;
        if (name.starts_with("AClose") && name.find("Rights") == std::string_view::npos) {
            rows.push_back(row);
        }
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Qt, AskedToCloseOverX11, ::testing::ValuesIn(closesUnderADialog()),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace zorvik
