#include <windows.h>

#include <commctrl.h>

#include "tests/win32_window/window_fixture.h"

namespace zorvik::testing {
namespace {

class WindowEvents : public WindowFixture {
protected:
    void layOutMelodies() {
        for (const char* name : {"Classic.wav", "Звън.wav", "Камбанки.wav", "Пролет.wav"}) {
            machine.addMelody(machine.rings, name);
        }
    }
};

TEST_F(WindowEvents, TypingTheFirstLettersOfANameGoesToIt) {
    layOutMelodies();
    start();
    MSG typed{control("File1"), WM_CHAR, L'к', 1, 0, {}};
    window.handleMessage(typed);
    pump();
    EXPECT_EQ(form->File1().FileName(), "Камбанки.wav");
}

TEST_F(WindowEvents, ARepaintThatIsDueRunsBeforeTheClickThatCausedIt) {
    layOutMelodies();
    start();
    const int before = form->repaintsRun();
    // the window comes back to the front under the pointer; meanwhile a melody was added
    machine.addMelody(machine.rings, "0 Начало.wav");
    activateAgain();
    clickRow(2);
    EXPECT_EQ(form->repaintsRun(), before + 1);
    const std::string clicked = form->File1().entries().at(2);
    EXPECT_EQ(listText(2), clicked) << "the click lands on the list as read again";
    EXPECT_EQ(form->s(), "C:\\Program Files\\Zorvik\\Rings\\" + clicked);
    EXPECT_EQ(listItemWith(LVNI_SELECTED), 2) << "and keeps what it selected";
    pump();
    EXPECT_EQ(form->repaintsRun(), before + 1);
    EXPECT_EQ(form->File1().selectedIndex(), std::optional<std::size_t>(2));
}

TEST_F(WindowEvents, BurstsOfShowingActivationAndExposureCountAsOneRepaint) {
    start();
    const int before = window.repaintsRequested();
    activateAgain();
    activateAgain();
    pump();
    EXPECT_EQ(window.repaintsRequested(), before + 1);
    // exposed and re-activated together: the exposure's WM_PAINT runs the one repaint
    InvalidateRect(window.handle(), nullptr, TRUE);
    activateAgain();
    pump();
    EXPECT_EQ(window.repaintsRequested(), before + 2);
    EXPECT_EQ(form->repaintsRun(), window.repaintsRequested());
    // restored from minimised
    ShowWindow(window.handle(), SW_MINIMIZE);
    pump();
    const int minimised = window.repaintsRequested();
    ShowWindow(window.handle(), SW_RESTORE);
    EXPECT_TRUE(waitFor([&] { return window.repaintsRequested() > minimised; }));
}

// A click gives a name the keyboard's place and ends the frame round the whole list: nothing
// the frame drew may stay across the names as the wheel scrolls them, nor the tip of a row the
// pointer left.
TEST_F(WindowEvents, AClickAndTheWheelLeaveNoFrameOrTipBehind) {
    const std::string longName =
        "0 Много дълго име на мелодия за звънене на телефона Zorvik BG, което не се побира.wav";
    machine.addMelody(machine.rings, longName);
    layOutMelodies();
    for (int i = 0; i < 40; ++i) {
        machine.addMelody(machine.rings, "Мелодия " + std::to_string(i) + ".wav");
    }
    start();
    const auto wheel = [this](int notches) {
        SendMessageW(control("File1"), WM_MOUSEWHEEL, MAKEWPARAM(0, notches * WHEEL_DELTA), 0);
        UpdateWindow(control("File1"));
    };
    const auto noLinesLeft = [&] {
        const auto asItStands = listPixels(false);
        return asItStands == listPixels(true);
    };
    wheel(-1);
    clickRow(static_cast<int>(SendMessageW(control("File1"), LVM_GETTOPINDEX, 0, 0)));
    EXPECT_TRUE(noLinesLeft()) << "after a click that gives a name the keyboard's place";
    wheel(1);
    EXPECT_TRUE(noLinesLeft()) << "after a wheel step up";
    // the rows move under a pointer that stays: the tip of the one it was over goes
    ASSERT_EQ(tipOver(0), longName);
    wheel(-1);
    pump();
    EXPECT_FALSE(IsWindowVisible(window.nameTip())) << "the tip stayed over another row";
}

TEST_F(WindowEvents, ClosingRunsTheUnloadHandlerOnceHoweverTheWindowCloses) {
    start();
    EXPECT_EQ(SendMessageW(window.handle(), WM_QUERYENDSESSION, 0, 0), TRUE)
        << "closing is never refused";
    form->clickCheck1();
    SendMessageW(window.handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_NE(machine.storeText().find("\"Audio\"=dword:00000001"), std::string::npos);
    form->clickCheck1();  // too late: the states were stored once
    SendMessageW(window.handle(), WM_CLOSE, 0, 0);
    pump();
    EXPECT_NE(machine.storeText().find("\"Audio\"=dword:00000001"), std::string::npos);
    EXPECT_EQ(window.handle(), nullptr) << "the window is gone";
    EXPECT_TRUE(quitPosted) << "and the program's loop ends";
}

TEST_F(WindowEvents, AWindowDestroyedWithoutTheCloseStoresTheOptionsAndEndsTheProgram) {
    start();
    form->clickCheck1();
    DestroyWindow(window.handle());
    pump();
    EXPECT_NE(machine.storeText().find("\"Audio\"=dword:00000001"), std::string::npos);
    EXPECT_TRUE(form->unloaded());
    EXPECT_TRUE(quitPosted);
}

}  // namespace
}  // namespace zorvik::testing
