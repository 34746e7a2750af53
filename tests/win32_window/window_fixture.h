#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "main_window/form1.h"
#include "main_window/form1_layout.h"
#include "main_window/win32/form1_window.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_message_box.h"
#include "platform/win32/win32_progress.h"
#include "tests/support/answered_boxes.h"
#include "tests/support/form_fixture.h"
#include "tests/support/sound_files.h"
#include "tests/support/window_behaviours.h"
#include "tests/win32_window/probe_print.h"

namespace zorvik::testing {

// Under Wine, whether `font` lacks a character of `text` that the safe face has: it would draw a
// box where an installed face has the character. False on Windows, which links a face to others
// that have what it lacks.
bool lacksWhatTheSafeFaceHas(HFONT font, const std::wstring& text);

// The native window over the in-memory machine, shown on a real desktop (Wine on Xvfb with a
// window manager, in CI), its messages handled as the program's own loop handles them.
class WindowFixture : public ::testing::Test, public WindowDriver {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Creates the window over the machine, runs the load handler, shows the window and waits
    // until it is the active window. The boxes and the progress dialog are the real ones, the
    // boxes answered Cancel unseen unless a test queues other answers.
    Form1& start();
    // Handles every message waiting for this thread, through the window.
    void pump();
    // Waits (a few seconds at most) for the desktop to catch up, handling messages meanwhile.
    bool waitFor(const std::function<bool()>& condition);
    // A point inside list row `row`, near its left end, in the list's client area.
    POINT inRow(int row) const;
    // A left press and release at `at` in the list's client area, as the list receives them.
    void clickList(POINT at);
    void clickRow(int row) override;
    void clickBelowTheNames() override;
    // Makes a repaint due, as a re-activation does, without handling what follows.
    void activateAgain();

    HWND control(std::string_view name) const { return window.control(name); }
    // The design name of a control window, or "" for a window not in the design.
    std::string nameOf(HWND control) const;
    static std::string textOf(HWND control) { return win32::toUtf8Lossy(windowText(control)); }
    std::string listText(int row) const;
    int listItemWith(UINT state) const;  // LVNI_SELECTED or LVNI_FOCUSED; -1 for none
    // The window's monitor, whole or its work area (without the task bar).
    RECT monitorOf(bool workArea) const {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(window.handle(), MONITOR_DEFAULTTONEAREST), &monitor);
        return workArea ? monitor.rcWork : monitor.rcMonitor;
    }
    static bool liesWithin(const RECT& inner, const RECT& outer) {
        RECT common{};
        IntersectRect(&common, &inner, &outer);
        return EqualRect(&common, &inner) != FALSE;
    }

    struct Heard {
        bool tabStop;
        std::string name;
    };
    // The window and every control shown in it as a screen reader reads them through MSAA, by
    // their window handles.
    std::map<HWND, Heard> readByScreenReader();

    // What the shared table of window behaviours does and reads, through the window's messages.
    void addMelody(const std::string& name, bool inDeleted) override {
        machine.addMelody(inDeleted ? machine.deleted : machine.rings, name);
    }
    void storeOptions(const std::string& valueLines) override { machine.writeStore(valueLines); }
    std::string storedOptions() override { return machine.storeText(); }
    Form1& startWindow() override { return start(); }

    // Through the program's loop, Shift held down for BackTab; the keypad's Enter is an
    // extended key.
    void press(Key key, int repeats) override;
    void focus(std::string_view name) override {
        SetFocus(control(name));
        pump();
    }
    std::string focused() override { return nameOf(GetFocus()); }
    void clickControl(std::string_view name) override {
        SendMessageW(control(name), BM_CLICK, 0, 0);
        pump();
    }
    int reactivate(int times) override {
        pump();
        const int before = window.repaintsRequested();
        for (int i = 0; i < times; ++i) {
            activateAgain();
        }
        pump();
        return window.repaintsRequested() - before;
    }
    void closeWindow() override {
        SendMessageW(window.handle(), WM_CLOSE, 0, 0);
        pump();
    }
    Place menuShownAfter(std::optional<Key> key, bool chooseSecond) override {
        const HWND button = control("Command1");
        RECT placed{};
        GetWindowRect(button, &placed);
        SetCursorPos(placed.left + 10, placed.top + 10);
        SetFocus(button);
        // the menu runs a loop of its own: a timer in it notes where the menu stands, then
        // closes it or chooses through the keys that loop reads
        static RECT menuShown;
        static bool choose;
        static HWND owner;
        menuShown = {};
        choose = chooseSecond;
        owner = window.handle();
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
            const HWND menu = FindWindowW(L"#32768", nullptr);
            if (menu == nullptr || IsWindowVisible(menu) == FALSE || menuShown.right != 0) {
                return;
            }
            GetWindowRect(menu, &menuShown);
            if (!choose) {
                EndMenu();
                return;
            }
            for (const int pressed : {VK_DOWN, VK_DOWN, VK_RETURN}) {
                PostMessageW(owner, WM_KEYDOWN, static_cast<WPARAM>(pressed), 1);
            }
        });
        if (key) {
            press(*key, 0);
        } else {
            const LPARAM at = MAKELPARAM(10, 10);
            MSG down{button, WM_LBUTTONDOWN, MK_LBUTTON, at, 0, {}};
            window.handleMessage(down);
            MSG up{button, WM_LBUTTONUP, 0, at, 0, {}};
            window.handleMessage(up);
        }
        KillTimer(nullptr, timer);
        pump();
        return {menuShown.left - placed.left, menuShown.top - placed.top};
    }

    void answerBoxes(int answer) override {
        answered_.clear();
        answered_.queue(answer, 200);
    }

    std::vector<std::string> listed() override {
        std::vector<std::string> names;
        const auto count = SendMessageW(control("File1"), LVM_GETITEMCOUNT, 0, 0);
        for (int row = 0; row < count; ++row) {
            names.push_back(listText(row));
        }
        return names;
    }
    int selectedRow() override { return listItemWith(LVNI_SELECTED); }
    std::string textOf(std::string_view name) override {
        return WindowFixture::textOf(control(name));
    }
    // BST_UNCHECKED, BST_CHECKED and BST_INDETERMINATE are the box's own values
    int checkShown(std::string_view name) override {
        return static_cast<int>(SendMessageW(control(name), BM_GETCHECK, 0, 0));
    }
    std::string tipOver(int row) override {
        const HWND list = control("File1");
        POINT at = inRow(row);
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
        std::erase_if(shown, [](char c) { return c == '\r' || c == '\n'; });  // its line breaks
        // a tip with a text shows after its delay, or the user never reads it
        if (shown.empty() ||
            !waitFor([this] { return IsWindowVisible(window.nameTip()) != FALSE; })) {
            return {};
        }
        RECT tip{};
        GetWindowRect(window.nameTip(), &tip);
        return liesWithin(tip, monitorOf(false)) ? shown : std::string();
    }
    std::vector<std::string> boxesShown() override { return answered_.answered(); }
    int playsStarted() override { return static_cast<int>(machine.player.played.size()); }
    std::vector<std::string> menuCaptions() override {
        std::vector<std::string> captions;
        const HMENU menu = window.hiddenMenu();
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            wchar_t caption[64] = {};
            GetMenuStringW(menu, static_cast<UINT>(i), caption, 64, MF_BYPOSITION);
            captions.push_back(win32::toUtf8Lossy(caption));
        }
        return captions;
    }
    bool hasMenuBar() override { return GetMenu(window.handle()) != nullptr; }
    Place placeOf(std::string_view name) override {
        RECT at;
        GetWindowRect(control(name), &at);
        MapWindowPoints(HWND_DESKTOP, GetParent(control(name)), reinterpret_cast<POINT*>(&at), 2);
        return {at.left, at.top, at.right - at.left, at.bottom - at.top};
    }
    std::string containerOf(std::string_view name) override {
        const HWND parent = GetParent(control(name));
        return parent == window.handle() ? std::string() : nameOf(parent);
    }
    bool visible(std::string_view name) override { return IsWindowVisible(control(name)) != FALSE; }
    int dpi() override { return static_cast<int>(window.dpi()); }

    void writeInstalled(const std::string& place, const std::string& bytes) override {
        machine.writeFile(machine.install / place, bytes);
    }
    std::string readInstalled(const std::string& place) override {
        return machine.readFile(machine.install / place);
    }
    std::string listInstalled(const std::string& folder) override {
        return machine.listing(folder.empty() ? machine.install : machine.install / folder);
    }
    void chooseNextInTheOpenFileDialog(const std::string& name) override {
        const WinPath chosen = WinPath{"D:\\Elsewhere"} / name;
        machine.writeFile(chosen, testing::waveFile("new melody"));
        machine.dialog.choose(chosen.text);
    }
    bool installFolderNeedsRights() override {
        machine.files.setForAdministratorsOnly({machine.install.text});
        machine.elevation.availableHere = true;
        return true;
    }
    ProgressService& progress() override { return progress_; }
    void stopTheNextProgress(Stop how, bool atTheFlush, ProgressSeen* seen) override;
    void closeWhenAQuestionShows(int answeredFirst) override;
    bool wentWhileAHandlerRan() override;
    bool windowGone() override { return window.handle() == nullptr && quitPosted; }
    std::vector<std::uint32_t> listPixels(bool drawnAnew) override;
    void wheelDownOverTheList() override {
        SendMessageW(control("File1"), WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
        UpdateWindow(control("File1"));
    }
    Look lookOf(std::string_view name) override;
    std::uint32_t buttonFace() override { return rgbOf(GetSysColor(COLOR_BTNFACE)); }
    std::string caption() override { return textOf(window.handle()); }
    bool resizable() override {
        return (GetWindowLongPtrW(window.handle(), GWL_STYLE) & WS_THICKFRAME) != 0;
    }
    Place clientArea() override {
        RECT client{};
        GetClientRect(window.handle(), &client);
        return {0, 0, client.right, client.bottom};
    }
    int iconSide() override;
    static std::uint32_t rgbOf(COLORREF colour) {
        return (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    }
    LOGFONTW fontOf(std::string_view name) const {
        LOGFONTW font{};
        const auto handle = reinterpret_cast<HFONT>(SendMessageW(control(name), WM_GETFONT, 0, 0));
        GetObjectW(handle, sizeof font, &font);
        return font;
    }

    FormFixture machine;
    gui::Form1Window window;
    std::unique_ptr<Form1> form;
    bool quitPosted = false;

private:
    static bool desktopAvailable_;
    win32::Win32MessageBox boxes_;
    AnsweredBoxes answered_{boxes_};
    win32::Win32Progress progress_{layout::kFormCaption};
    UINT_PTR watch_ = 0;  // a timer of a row's
    struct Going {
        const Form1* form = nullptr;
        bool whileHandling = false;
    } going_;
};

}  // namespace zorvik::testing
