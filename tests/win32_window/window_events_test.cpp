#include <windows.h>

#include <commctrl.h>

#include <vector>

#include "main_window/form1_layout.h"
#include "platform/win32/wide_text.h"
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
    std::string entry(std::size_t index) const { return form->File1().entries().at(index); }
    std::string ringsPathOf(std::size_t index) const {
        return "C:\\Program Files\\Zorvik\\Rings\\" + entry(index);
    }
    std::size_t boxesShown() const {
        return machine.box.questions.size() + machine.box.notices.size() +
               machine.box.errors.size();
    }
};

TEST_F(WindowEvents, TabFollowsTheDesignsTabIndicesBothWays) {
    start();
    const std::vector<std::string> forwards{"Check1", "Command1", "Command2", "Text1",
                                            "Text2",  "Command3", "Check2",   "File1"};
    std::vector<std::string> visited;
    for (std::size_t i = 0; i < forwards.size(); ++i) {
        press(VK_TAB);
        visited.push_back(nameOf(GetFocus()));
    }
    EXPECT_EQ(visited, forwards);
    std::vector<std::string> backwards;
    for (std::size_t i = 0; i < forwards.size(); ++i) {
        press(VK_TAB, true);
        backwards.push_back(nameOf(GetFocus()));
    }
    EXPECT_EQ(backwards, (std::vector<std::string>{"Check2", "Command3", "Text2", "Text1",
                                                   "Command2", "Command1", "Check1", "File1"}));
}

TEST_F(WindowEvents, EnterAndSpacePressTheFocusedButtonAndNothingElse) {
    start();
    SetFocus(control("Check1"));
    press(VK_RETURN);
    EXPECT_EQ(boxesShown(), 0u) << "Enter on a box presses no button";
    EXPECT_EQ(form->Check1().Value(), CheckBox::kClear);

    SetFocus(control("Command2"));
    press(VK_RETURN);
    EXPECT_EQ(machine.box.notices.size(), 1u) << "Command2 with nothing marked says so";

    SetFocus(control("Command3"));
    press(VK_SPACE);
    EXPECT_EQ(machine.box.notices.size(), 2u) << "Command3 with nothing marked says so";

    SetFocus(control("Check1"));
    press(VK_SPACE);
    EXPECT_EQ(form->Check1().Value(), CheckBox::kTicked);
    EXPECT_EQ(boxesShown(), 2u);
}

TEST_F(WindowEvents, AGreyedBoxTicksWhenClickedAndATickedOneClears) {
    machine.writeStore("\"Audio\"=dword:00000002\n\"inDeleted\"=dword:00000001");
    start();
    const auto shown = [this](const char* name) {
        return SendMessageW(control(name), BM_GETCHECK, 0, 0);
    };
    EXPECT_EQ(shown("Check1"), BST_INDETERMINATE);
    EXPECT_EQ(shown("Check2"), BST_CHECKED);
    const std::int16_t expected[] = {CheckBox::kTicked, CheckBox::kClear, CheckBox::kTicked};
    for (const std::int16_t state : expected) {
        SendMessageW(control("Check1"), BM_CLICK, 0, 0);
        pump();
        EXPECT_EQ(form->Check1().Value(), state);
        EXPECT_EQ(shown("Check1"), state == CheckBox::kTicked ? BST_CHECKED : BST_UNCHECKED);
    }
    SendMessageW(control("Check2"), BM_CLICK, 0, 0);
    pump();
    EXPECT_EQ(form->Check2().Value(), CheckBox::kClear);
}

TEST_F(WindowEvents, AClickPicksTheMelodyAndAClickOnItAgainPlaysItAgain) {
    layOutMelodies();
    machine.writeStore("\"Audio\"=dword:00000001");
    start();
    clickRow(1);
    EXPECT_EQ(form->s(), ringsPathOf(1));
    EXPECT_EQ(listItemWith(LVNI_SELECTED), 1);
    ASSERT_EQ(machine.player.played.size(), 1u);
    clickRow(1);
    EXPECT_EQ(machine.player.played.size(), 2u);
    clickBelowTheNames();
    EXPECT_EQ(listItemWith(LVNI_SELECTED), 1) << "a click beside the names keeps the selection";
    EXPECT_EQ(form->File1().selectedIndex(), std::optional<std::size_t>(1));
    EXPECT_EQ(machine.player.played.size(), 2u);
}

TEST_F(WindowEvents, ArrowsWalkTheListAndTheMelodyStaysMarkedAfterEveryRepaintAndBox) {
    layOutMelodies();
    start();
    press(VK_DOWN);
    EXPECT_EQ(form->s(), ringsPathOf(0)) << "with nothing selected, Down starts at the first";
    press(VK_DOWN);
    EXPECT_EQ(form->s(), ringsPathOf(1));

    // another program adds a melody that sorts first; then the window comes back
    machine.addMelody(machine.rings, "0 Начало.wav");
    activateAgain();
    pump();
    EXPECT_EQ(listText(0), "0 Начало.wav") << "a repaint reads the folder again";
    EXPECT_EQ(listText(listItemWith(LVNI_SELECTED)), "Звън.wav") << "and marks what was clicked";
    EXPECT_EQ(listText(listItemWith(LVNI_FOCUSED)), "Звън.wav");

    // a question answered Cancel, and the repaint where it stood
    SetFocus(control("Command3"));
    press(VK_RETURN);
    ASSERT_EQ(machine.box.questions.size(), 1u);
    EXPECT_EQ(machine.box.questions[0].message,
              "Желаете ли окончателно изтриване на мелодията?\r\n„Звън.wav“");
    activateAgain();
    pump();
    EXPECT_EQ(listText(listItemWith(LVNI_SELECTED)), "Звън.wav");
    SetFocus(control("File1"));
    press(VK_DOWN);
    EXPECT_EQ(form->File1().FileName(), "Камбанки.wav") << "Down goes on from where it was";
}

TEST_F(WindowEvents, ANameCutByTheListShowsWholeInATipUnderThePointer) {
    const std::string longName =
        "Дълга мелодия с име, което не се побира в списъка, колкото и да е широк.wav";
    machine.addMelody(machine.rings, "Classic.wav");
    machine.addMelody(machine.rings, longName);
    start();
    const auto tipOverRow = [this](int row) {
        const HWND list = control("File1");
        RECT item{};
        item.left = LVIR_BOUNDS;
        SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        MSG moved{list, WM_MOUSEMOVE, 0, MAKELPARAM(item.left + 4, (item.top + item.bottom) / 2), 0,
                  {}};
        window.handleMessage(moved);
        pump();
        wchar_t text[512] = {};
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = list;
        tool.uId = reinterpret_cast<UINT_PTR>(list);
        tool.lpszText = text;
        SendMessageW(window.nameTip(), TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
        return win32::toUtf8Lossy(text);
    };
    ASSERT_EQ(listText(1), longName);
    EXPECT_EQ(tipOverRow(1), longName);
    EXPECT_EQ(tipOverRow(0), "") << "a name that fits needs no tip";
}

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
    EXPECT_EQ(listText(2), entry(2)) << "the click lands on the list as read again";
    EXPECT_EQ(form->s(), ringsPathOf(2));
    EXPECT_EQ(listItemWith(LVNI_SELECTED), 2) << "and keeps what it selected";
    pump();
    EXPECT_EQ(form->repaintsRun(), before + 1);
    EXPECT_EQ(form->File1().selectedIndex(), std::optional<std::size_t>(2));
}

TEST_F(WindowEvents, BurstsOfShowingActivationAndExposureCountAsOneRepaint) {
    start();
    const int before = window.repaintsRequested();
    SendMessageW(window.handle(), WM_SHOWWINDOW, TRUE, 0);
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

TEST_F(WindowEvents, TheHiddenMenuShowsOnlyAsThePopupOfCommand1) {
    start();
    const HMENU menu = window.hiddenMenu();
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    for (int i = 0; i < 2; ++i) {
        wchar_t caption[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), caption, 64, MF_BYPOSITION);
        EXPECT_EQ(win32::toUtf8Lossy(caption),
                  layout::kMenuItems[static_cast<std::size_t>(i)].caption);
    }
    EXPECT_EQ(GetMenu(window.handle()), nullptr);

    // the keys wait in the queue for the menu's own loop
    PostMessageW(window.handle(), WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(window.popup("v"), "") << "dismissed";
    for (const int key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
        PostMessageW(window.handle(), WM_KEYDOWN, static_cast<WPARAM>(key), 1);
    }
    // through the button: pd shows the Deleted folder and renames Command3
    form->Command1_Click();
    pump();
    EXPECT_EQ(form->view(), MelodyView::Deleted);
    EXPECT_EQ(textOf(control("Command3")), "Добавяне на маркираната мелодия");
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

}  // namespace
}  // namespace zorvik::testing
