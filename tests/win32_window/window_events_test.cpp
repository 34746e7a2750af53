#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "main_window/form1_layout.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_message_box.h"
#include "platform/win32/win32_progress.h"
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
    // Another program closes the window (WM_CLOSE, as taskkill sends it) while a question of the
    // ring choice, a real box, waits for an answer: the question is answered Cancel, its handler
    // ends, and only then does the window close, storing the options once.
    void closeWhileAsking(bool forRights) {
        layOutMelodies();
        machine.writeFile(machine.install / "Phone.wav", "ring");
        win32::Win32MessageBox boxes;
        start(&boxes);
        boxes.setOwner(window.handle());
        if (forRights) {
            // the install folder refuses the user: the ring question answered, the one for an
            // administrator's rights (a task dialog of the same title) is the one open
            machine.files.setForAdministratorsOnly({machine.install.text});
            machine.elevation.availableHere = true;
            win32::Win32MessageBox::setNextAnswer(kAnswerOk);
        }
        clickRow(1);
        form->clickCheck1();
        const int writesBefore = machine.registry.writes();
        // The question runs a loop of its own: a timer in it closes the window once the question
        // shows, and answers OK itself if the question is still there long after (the test then
        // fails on the ring file, rather than waiting for a person).
        static HWND closing;
        static int ticksSinceClose;
        closing = window.handle();
        ticksSinceClose = -1;
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
            const HWND question = FindWindowW(L"#32770", L"Избор на мелодия...");
            if (question == nullptr || IsWindowVisible(question) == FALSE) {
                return;
            }
            if (ticksSinceClose < 0) {
                PostMessageW(closing, WM_CLOSE, 0, 0);
            } else if (ticksSinceClose > 250) {
                PostMessageW(question, WM_COMMAND, IDOK, 0);
            }
            ++ticksSinceClose;
        });
        // and whatever happens, the window goes only once no handler runs, or the rest of the
        // handler would act with no window there
        struct Going {
            const Form1* form;
            bool whileHandling = false;
        } going{form.get()};
        SetWindowSubclass(
            window.handle(),
            [](HWND closed, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
               DWORD_PTR data) -> LRESULT {
                auto& watched = *reinterpret_cast<Going*>(data);
                if (message == WM_DESTROY) {
                    watched.whileHandling = watched.form->handling();
                }
                return DefSubclassProc(closed, message, wParam, lParam);
            },
            1, reinterpret_cast<DWORD_PTR>(&going));
        SetFocus(control("Command2"));
        press(VK_RETURN);
        KillTimer(nullptr, timer);
        EXPECT_FALSE(going.whileHandling) << "the window went while the question's handler ran";
        EXPECT_EQ(machine.readFile(machine.install / "Phone.wav"), "ring")
            << "the ring file was written after the window had gone";
        EXPECT_EQ(window.handle(), nullptr) << "the window is gone";
        EXPECT_TRUE(quitPosted) << "and the program's loop ends";
        EXPECT_TRUE(form->unloaded());
        EXPECT_EQ(machine.registry.writes() - writesBefore, 1)
            << "both options stored, in one write";
        EXPECT_NE(machine.storeText().find("\"Audio\"=dword:00000001"), std::string::npos);
        if (forRights) {
            EXPECT_EQ(win32::Win32MessageBox::lastStyle(),
                      win32::Win32MessageBox::kShieldedQuestion)
                << "the question for rights was the one open";
            EXPECT_EQ(machine.elevation.starts, 0) << "and, dismissed, started no elevated run";
        }
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

    // with nothing marked, each button says so in words of its own
    const std::string fromCommand2 =
        "Няма маркирана мелодия: маркирайте мелодия в списъка и запишете отново.";
    const std::string fromCommand3 =
        "Няма маркирана мелодия в тази папка: щракнете мелодия в списъка и опитайте отново.";
    SetFocus(control("Command2"));
    press(VK_RETURN);
    SetFocus(control("Command3"));
    press(VK_SPACE);
    press(VK_RETURN, false, 3);  // held down: one click
    std::vector<std::string> said;
    for (const auto& notice : machine.box.notices) {
        said.push_back(notice.message);
    }
    EXPECT_EQ(said, (std::vector<std::string>{fromCommand2, fromCommand3, fromCommand3}));

    SetFocus(control("Check1"));
    press(VK_SPACE);
    EXPECT_EQ(form->Check1().Value(), CheckBox::kTicked);
    EXPECT_EQ(boxesShown(), 3u);
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

// A name too long for the list shows whole in a tip, in lines, and the tip stays on the screen
// even for a name wider than the screen with no space to break at.
TEST_F(WindowEvents, ANameCutByTheListShowsWholeInATipThatStaysOnTheScreen) {
    const std::string longName =
        "Дълга мелодия с име, което не се побира в списъка, колкото и да е широк.wav";
    std::string longest = "Мелодия";
    while (longest.size() < 380) {
        longest += "_за_звънене";
    }
    longest += ".wav";  // 220 characters
    machine.addMelody(machine.rings, "Classic.wav");
    machine.addMelody(machine.rings, longName);
    machine.addMelody(machine.rings, longest);
    start();
    const auto tipOverRow = [this](int row) {
        const HWND list = control("File1");
        RECT item{};
        item.left = LVIR_BOUNDS;
        SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
        POINT at{item.left + 4, (item.top + item.bottom) / 2};
        MSG moved{list, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y), 0, {}};
        ClientToScreen(list, &at);
        SetCursorPos(at.x, at.y);
        window.handleMessage(moved);
        pump();
        wchar_t text[1024] = {};
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.hwnd = list;
        tool.uId = reinterpret_cast<UINT_PTR>(list);
        tool.lpszText = text;
        SendMessageW(window.nameTip(), TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
        std::string shown = win32::toUtf8Lossy(text);
        for (auto lineEnd = shown.find("\r\n"); lineEnd != std::string::npos;
             lineEnd = shown.find("\r\n")) {
            shown.erase(lineEnd, 2);
        }
        return shown;
    };
    ASSERT_EQ(listText(1), longName);
    ASSERT_EQ(listText(2), longest);
    EXPECT_EQ(tipOverRow(1), longName);
    EXPECT_EQ(tipOverRow(0), "") << "a name that fits needs no tip";
    EXPECT_EQ(tipOverRow(2), longest);
    ASSERT_TRUE(waitFor([this] { return IsWindowVisible(window.nameTip()) != FALSE; }));
    RECT tip{};
    GetWindowRect(window.nameTip(), &tip);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window.handle(), MONITOR_DEFAULTTONEAREST), &monitor);
    RECT within{};
    IntersectRect(&within, &tip, &monitor.rcMonitor);
    EXPECT_TRUE(EqualRect(&within, &tip) != FALSE)
        << "the tip runs off the screen: " << tip.left << ".." << tip.right;
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
    EXPECT_EQ(window.popup("v", {}), "") << "dismissed";
    for (const int key : {VK_DOWN, VK_DOWN, VK_RETURN}) {
        PostMessageW(window.handle(), WM_KEYDOWN, static_cast<WPARAM>(key), 1);
    }
    // through the button: pd shows the Deleted folder and renames Command3
    form->Command1_Click(Form1::PressedWith::Mouse);
    pump();
    EXPECT_EQ(form->view(), MelodyView::Deleted);
    EXPECT_EQ(textOf(control("Command3")), "Добавяне на маркираната мелодия");
}

// From the keyboard the menu opens below its button, wherever the pointer rests; from the mouse
// at the pointer.
TEST_F(WindowEvents, ThePopupOpensBelowItsButtonFromTheKeyboardAndAtThePointerFromTheMouse) {
    start();
    const HWND button = control("Command1");
    RECT placed{};
    GetWindowRect(button, &placed);
    const POINT inside{10, 10};
    const POINT pointer{placed.left + inside.x, placed.top + inside.y};
    const POINT below{placed.left, placed.bottom};
    // the menu runs a loop of its own: a timer in it notes where the menu stands and closes it
    static RECT menuShown;
    const auto noteAndClose = [](HWND, UINT, UINT_PTR, DWORD) {
        const HWND menu = FindWindowW(L"#32768", nullptr);
        if (menu != nullptr && IsWindowVisible(menu) != FALSE) {
            GetWindowRect(menu, &menuShown);
            EndMenu();
        }
    };
    const auto clickButton = [&] {
        const LPARAM at = MAKELPARAM(inside.x, inside.y);
        MSG down{button, WM_LBUTTONDOWN, MK_LBUTTON, at, 0, {}};
        window.handleMessage(down);
        MSG up{button, WM_LBUTTONUP, 0, at, 0, {}};
        window.handleMessage(up);
    };
    struct Case {
        const char* what;
        std::function<void()> press;
        POINT at;
    };
    const Case cases[] = {
        {"Space", [&] { press(VK_SPACE); }, below},
        {"Enter", [&] { press(VK_RETURN); }, below},
        {"a click", clickButton, pointer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetCursorPos(pointer.x, pointer.y);
        SetFocus(button);
        menuShown = {};
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, noteAndClose);
        c.press();
        KillTimer(nullptr, timer);
        EXPECT_EQ(menuShown.left, c.at.x);
        EXPECT_EQ(menuShown.top, c.at.y);
    }
    EXPECT_EQ(form->view(), MelodyView::Rings) << "a dismissed menu runs no item";
}

TEST_F(WindowEvents, AWindowClosedWhileItsQuestionIsOpenAnswersCancelAndUnloadsOnce) {
    closeWhileAsking(false);
}

TEST_F(WindowEvents, AWindowClosedWhileTheRightsQuestionIsOpenAnswersCancelAndUnloadsOnce) {
    closeWhileAsking(true);
}

TEST_F(WindowEvents, TheListShowsItsFocusFromTheStartWithNoEntryCurrentYetAndScrollsItWhole) {
    layOutMelodies();
    for (int i = 0; i < 40; ++i) {
        machine.addMelody(machine.rings, "Мелодия " + std::to_string(i) + ".wav");
    }
    start();
    ASSERT_EQ(GetFocus(), control("File1"));
    ASSERT_EQ(listItemWith(LVNI_FOCUSED), -1);
    // what the screen shows, drawn anew or as it stands
    const auto pixels = [this](bool drawnAnew = true) {
        const HWND list = control("File1");
        if (drawnAnew) {
            RedrawWindow(list, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        }
        pump();
        RECT client{};
        GetClientRect(list, &client);
        BITMAPINFO info{};
        info.bmiHeader = {
            sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        const HDC screen = GetDC(list);
        const HDC memory = CreateCompatibleDC(screen);
        void* bits = nullptr;
        const HBITMAP picture = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        const HGDIOBJ before = SelectObject(memory, picture);
        BitBlt(memory, 0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
        const auto* first = static_cast<const std::uint32_t*>(bits);
        std::vector<std::uint32_t> copied(
            first, first + static_cast<std::size_t>(client.right * client.bottom));
        SelectObject(memory, before);
        DeleteObject(picture);
        DeleteDC(memory);
        ReleaseDC(list, screen);
        return copied;
    };
    const auto focused = pixels();
    // a wheel step scrolls the frame's edges with the names; they must not stay there
    SendMessageW(control("File1"), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
    UpdateWindow(control("File1"));
    const auto scrolled = pixels(false);
    EXPECT_TRUE(scrolled == pixels()) << "the scroll left lines of the focus frame behind";
    SetFocus(control("Check1"));
    const auto unfocused = pixels();
    EXPECT_NE(focused, unfocused) << "the focused list looks no different";
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

// A copy that lasts shows its dialog over the window, which takes no input meanwhile; the
// dialog's Cancel, or Escape, stops the copy, and the window answers again.
TEST_F(WindowEvents, ALongCopyShowsItsDialogOverTheWindowAndCancelStopsIt) {
    start();
    win32::Win32Progress progress(layout::kFormCaption, window.handle());
    progress.setDialogDelay(0);
    // what the timer, on this thread under the dialog's loop, saw and did
    static struct {
        win32::Win32Progress* progress;
        HWND window;
        bool escape;
        std::string title;
        std::string text;
        bool windowEnabled;
    } seen;
    for (const bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Отказ");
        seen = {&progress, window.handle(), escape, {}, {}, true};
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
            const HWND dialog = seen.progress->dialog();
            if (dialog == nullptr || !seen.title.empty()) {
                return;
            }
            const auto textOf = [](HWND of) {
                wchar_t text[200] = {};
                GetWindowTextW(of, text, 200);
                return win32::toUtf8Lossy(text);
            };
            seen.title = textOf(dialog);
            seen.text = textOf(FindWindowExW(dialog, nullptr, L"STATIC", nullptr));
            seen.windowEnabled = IsWindowEnabled(seen.window) != FALSE;
            const HWND cancel = GetDlgItem(dialog, IDCANCEL);
            if (seen.escape) {
                PostMessageW(cancel, WM_KEYDOWN, VK_ESCAPE, 0);
            } else {
                PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                             reinterpret_cast<LPARAM>(cancel));
            }
        });
        bool stopped = false;
        progress.run("Звън.wav", [&](CopyProgress& report) {
            // ten seconds at most, should nothing stop it
            for (std::uint64_t block = 1; block <= 1000 && !stopped; ++block) {
                Sleep(10);
                stopped = !report.copied(block, 1000);
            }
        });
        KillTimer(nullptr, timer);
        EXPECT_TRUE(stopped);
        EXPECT_EQ(seen.title, layout::kFormCaption);
        // under Wine the text ends in the room it leaves its task dialog to cut
        EXPECT_EQ(seen.text.substr(0, seen.text.find("\u00a0")), "Копиране на „Звън.wav“…");
        EXPECT_FALSE(seen.windowEnabled) << "the window takes no command under the dialog";
        EXPECT_NE(IsWindowEnabled(window.handle()), FALSE);
        EXPECT_EQ(progress.dialog(), nullptr);
    }
}

}  // namespace
}  // namespace zorvik::testing
