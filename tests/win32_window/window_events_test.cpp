#include <windows.h>

#include <commctrl.h>

#include <cstdint>
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
        press(Key::Enter, 0);
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

TEST_F(WindowEvents, AWindowClosedWhileItsQuestionIsOpenAnswersCancelAndUnloadsOnce) {
    closeWhileAsking(false);
}

TEST_F(WindowEvents, AWindowClosedWhileTheRightsQuestionIsOpenAnswersCancelAndUnloadsOnce) {
    closeWhileAsking(true);
}

// The list shows where the keyboard is from the start, round the whole list while no entry has
// its place; nothing the frame leaves stays on the screen, and no tip of a row the pointer left.
TEST_F(WindowEvents, TheListShowsItsFocusFromTheStartAndLeavesNoFrameOrTipBehind) {
    const std::string longName =
        "0 Много дълго име на мелодия за звънене на телефона Zorvik BG, което не се побира.wav";
    machine.addMelody(machine.rings, longName);
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
    const auto wheel = [this](int notches) {
        SendMessageW(control("File1"), WM_MOUSEWHEEL, MAKEWPARAM(0, notches * WHEEL_DELTA), 0);
        UpdateWindow(control("File1"));
    };
    const auto framed = pixels();
    // each step scrolls the frame's edges with the names, or ends the frame
    const auto noLinesLeft = [&] {
        const auto asItStands = pixels(false);
        return asItStands == pixels();
    };
    wheel(-1);
    EXPECT_TRUE(noLinesLeft()) << "after a wheel step down";
    clickRow(static_cast<int>(SendMessageW(control("File1"), LVM_GETTOPINDEX, 0, 0)));
    EXPECT_TRUE(noLinesLeft()) << "after a click that gives a name the keyboard's place";
    wheel(1);
    EXPECT_TRUE(noLinesLeft()) << "after a wheel step up";
    // the rows move under a pointer that stays: the tip of the one it was over goes
    ASSERT_EQ(tipOver(0), longName);
    wheel(-1);
    pump();
    EXPECT_FALSE(IsWindowVisible(window.nameTip())) << "the tip stayed over another row";
    SetFocus(control("Check1"));
    EXPECT_NE(framed, pixels()) << "the focused list looks no different";
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
