#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "main_window/form1_layout.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_message_box.h"
#include "platform/win32/win32_open_file_dialog.h"
#include "platform/win32/win32_progress.h"
#include "tests/support/melody_names.h"
#include "tests/win32_window/window_fixture.h"
#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik::testing {
namespace {

class WindowBoxes : public WindowFixture {};

// What the timer saw of the box that showed over the window, before it answered it Cancel.
struct SeenBox {
    HWND window = nullptr;  // the program's window, which is no box
    ULONGLONG firstSeen = 0;
    bool shown = false;
    RECT place{};
    std::string faults;  // how it showed its texts otherwise than whole
};
SeenBox seen;

// What is wrong with the way `label` shows its text, read off what its font draws: ink past its
// edges (Wine measures some faces short), a line that starts inside a character, or a
// character the label's face lacks although an installed face has it.
std::string faultsOf(HWND label) {
    const std::wstring text = windowText(label);
    RECT area{};
    GetClientRect(label, &area);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
    std::string faults;
    const HDC screen = GetDC(nullptr);
    const HDC dc = CreateCompatibleDC(screen);
    const SIZE room{area.right + 100, area.bottom + 100};
    // drawn as on the screen: in fewer colours a face is drawn otherwise
    const HGDIOBJ before = SelectObject(dc, CreateCompatibleBitmap(screen, room.cx, room.cy));
    ReleaseDC(nullptr, screen);
    PatBlt(dc, 0, 0, room.cx, room.cy, WHITENESS);
    SelectObject(dc, font);
    DrawTextW(dc, text.c_str(), -1, &area, DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_NOCLIP);
    for (LONG x = 0; x < room.cx; ++x) {
        for (LONG y = x < area.right ? area.bottom : 0; y < room.cy; ++y) {
            faults += GetPixel(dc, x, y) == RGB(255, 255, 255) || !faults.empty() ? "" : "cut; ";
        }
    }
    DeleteObject(SelectObject(dc, before));
    DeleteDC(dc);
    for (std::size_t at = 0; at < text.size(); ++at) {
        WORD type = 0;
        GetStringTypeW(CT_CTYPE3, &text[at], 1, &type);
        if ((at == 0 || text[at - 1] == L'\n') &&
            (IS_LOW_SURROGATE(text[at]) || (type & C3_NONSPACING) != 0)) {
            faults += "a line starts inside a character; ";
        }
    }
    if (lacksWhatTheSafeFaceHas(font, text)) {
        faults += "its face lacks characters an installed one has; ";
    }
    return faults;
}

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
    for (const HWND label : shownControls(box)) {
        wchar_t kind[16] = {};
        GetClassNameW(label, kind, 16);
        if (lstrcmpiW(kind, L"Static") == 0 && GetWindowTextLengthW(label) > 0) {
            seen.faults += faultsOf(label);
        }
    }
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDCANCEL)));
    return FALSE;
}

// Every kind of box the program shows, with long texts, over a window in the corner of the work
// area: each lies wholly inside the work area, centred on the window along each side where that
// keeps it inside, and shows its texts whole, a question naming a melody of any script too.
// (Wine's task dialog cuts the ends of lines it pads with no-break spaces; the check draws them
// here, where what is cut is the padding.)
TEST_F(WindowBoxes, EveryBoxLiesWhollyOnTheScreenOverTheWindowAndShowsItsTextWhole) {
    start();
    const RECT work = monitorOf(true);
    SetWindowPos(window.handle(), nullptr, work.left, work.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    pump();
    const std::string name = melodyNamesOfEveryScript().back();
    const std::string path = "C:\\Program Files\\Zorvik\\Rings\\" + name;
    win32::Win32MessageBox boxes;
    boxes.setOwner(window.handle());
    win32::Win32Progress progress(layout::kFormCaption, window.handle());
    progress.setDialogDelay(0);
    win32::Win32OpenFileDialog dialog(layout::kDialogTitle, "Wav|*.wav", window.handle());
    const std::string rights =
        failure_text::filled(texts::kElevationQuestion, {"C:\\Program Files\\Zorvik"});
    struct Kind {
        std::string kind;
        std::function<void()> show;
    };
    std::vector<Kind> kinds = {
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
    // each name of a script other than Bulgarian, the long ones after them
    const auto names = melodyNamesOfEveryScript();
    for (auto named = names.begin() + kNamesOfEveryBulgarianLetter; named != names.end(); ++named) {
        const std::string question =
            failure_text::filled(texts::kQuestionNamingMelody, {texts::kForGoodQuestion, *named});
        kinds.push_back({"the question about " + *named,
                         [&boxes, question] { boxes.confirm(question, texts::kDeleteTitle); }});
    }
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
        EXPECT_EQ(seen.faults, "");
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
