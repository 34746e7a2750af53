#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "main_window/form1_layout.h"
#include "platform/failure_text.h"
#include "platform/texts.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_message_box.h"
#include "platform/win32/win32_open_file_dialog.h"
#include "platform/win32/win32_progress.h"
#include "tests/support/melody_names.h"
#include "tests/win32_window/window_fixture.h"

namespace zorvik::testing {
namespace {

class WindowBoxes : public WindowFixture {};

// What the timer saw of the box that showed over the window, before it answered it Cancel.
struct SeenBox {
    HWND window = nullptr;  // the program's window, which is no box
    ULONGLONG firstSeen = 0;
    bool shown = false;
    RECT place{};
};
SeenBox seen;

// Where the box stands once it has settled: the window manager places a mapped dialog too.
constexpr ULONGLONG kSettleMs = 500;

BOOL CALLBACK catchTheBox(HWND box, LPARAM) {
    if (box == seen.window || !IsWindowVisible(box) || GetWindow(box, GW_OWNER) != seen.window) {
        return TRUE;
    }
    if (seen.firstSeen == 0) {
        seen.firstSeen = GetTickCount64();
    }
    if (GetTickCount64() - seen.firstSeen < kSettleMs) {
        return FALSE;
    }
    seen.shown = true;
    GetWindowRect(box, &seen.place);
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDCANCEL)));
    return FALSE;
}

// Every kind of box the program shows, with long texts, over a window in the corner of the work
// area: each lies wholly inside the work area, centred on the window along each side where that
// keeps it inside. (Whether Wine shows their texts whole, no reading of the controls tells: its
// task dialog cut lines that DrawText says fit. Only the screen shows it.)
TEST_F(WindowBoxes, EveryBoxLiesWhollyOnTheScreenOverTheWindow) {
    start();
    const RECT work = monitorOf(true);
    SetWindowPos(window.handle(), nullptr, work.left, work.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    pump();
    const std::string name = melodyNamesOfEveryScript().back();
    const std::string path = "C:\\Program Files\\Zorvik\\Rings\\" + name;
    win32::Win32MessageBox boxes;
    boxes.setOwner(window.handle());
    win32::Win32MessageBox::clearAnswers();  // every box shows
    win32::Win32Progress progress(layout::kFormCaption, window.handle());
    progress.setDialogDelay(0);
    win32::Win32OpenFileDialog dialog(layout::kDialogTitle, "Wav|*.wav", window.handle());
    const std::string rights =
        failure_text::filled(texts::kElevationQuestion, {"C:\\Program Files\\Zorvik"});
    const struct {
        const char* kind;
        std::function<void()> show;
    } kinds[] = {
        {"question", [&] { boxes.confirm(std::string(texts::kRingQuestion), texts::kRingTitle); }},
        {"notice", [&] { boxes.showNotice("Мелодията „" + name + "“ е добавена.", "Zorvik"); }},
        {"error",
         [&] { boxes.showError("Файлът „" + path + "“ не може да бъде прочетен.", "Zorvik"); }},
        {"retry", [&] { boxes.retryOrCancel("Файлът „" + path + "“ се използва.", "Zorvik"); }},
        {"rights", [&] { boxes.confirmElevation(rights, texts::kRingTitle); }},
        {"progress",
         [&] {
             (void)progress.run(copyingText(name), [](CopyProgress& report) {
                 for (std::uint64_t block = 1; block <= 1000 && report.copied(block, 1000);
                      ++block) {
                     Sleep(10);
                 }
             });
         }},
        {"open-file", [&] { (void)dialog.Show(); }},
    };
    for (const auto& box : kinds) {
        SCOPED_TRACE(box.kind);
        seen = SeenBox{};
        seen.window = window.handle();
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
            if (!seen.shown) {
                EnumThreadWindows(GetCurrentThreadId(), catchTheBox, 0);
            }
        });
        box.show();
        KillTimer(nullptr, timer);
        ASSERT_TRUE(seen.shown);
        const RECT& at = seen.place;
        EXPECT_TRUE(liesWithin(at, work))
            << at.left << "," << at.top << ".." << at.right << "," << at.bottom;
        RECT over{};
        GetWindowRect(window.handle(), &over);
        // along each side: centred on the window, unless that would cross the work area's edge
        const auto centredOrAtTheEdge = [](LONG from, LONG to, LONG overFrom, LONG overTo,
                                           LONG edge) {
            const LONG centred = overFrom + (overTo - overFrom - (to - from)) / 2;
            return centred >= edge ? std::abs(from - centred) <= 1 : from == edge;
        };
        EXPECT_TRUE(centredOrAtTheEdge(at.left, at.right, over.left, over.right, work.left))
            << at.left << " over " << over.left << ".." << over.right;
        EXPECT_TRUE(centredOrAtTheEdge(at.top, at.bottom, over.top, over.bottom, work.top))
            << at.top << " over " << over.top << ".." << over.bottom;
    }
}

}  // namespace
}  // namespace zorvik::testing
