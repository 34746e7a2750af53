#include <windows.h>

#include <commctrl.h>
#include <dlgs.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "main_window/form1_layout.h"
#include "platform/scoped_value.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_open_file_dialog.h"
#include "platform/win32/wine_edit_face.h"
#include "tests/support/melody_names.h"
#include "tests/win32_window/window_fixture.h"

namespace zorvik::testing {
namespace {

class WindowNames : public WindowFixture {};

// What the open-file dialog shows of each file clicked in its list, one file a tick: the
// file-name box, and the rename box that F2 opens on it (closed again with Escape). Then Cancel.
// Static: the timer that walks the dialog takes no context.
struct Shown {
    std::string fileName;
    std::string renamed;
    std::string renameFace;
};
struct DialogWalk {
    int next = 0;
    int ticksWaited = 0;
    std::vector<Shown> shown;
};
DialogWalk walk;

// The file-name box: an edit box, alone (edt1) or inside a combo box (cmb13), by Windows version.
std::string fileNameShown(HWND dialog) {
    for (const int id : {edt1, cmb13}) {
        HWND box = GetDlgItem(dialog, id);
        for (HWND inner = box; inner != nullptr;
             inner = FindWindowExW(inner, nullptr, nullptr, nullptr)) {
            box = inner;
        }
        if (box != nullptr) {
            return win32::toUtf8Lossy(windowText(box));
        }
    }
    return {};
}

void CALLBACK walkTheDialog(HWND, UINT, UINT_PTR, DWORD) {
    const HWND dialog = FindWindowW(L"#32770", win32::toWideLossy(layout::kDialogTitle).c_str());
    const HWND view =
        dialog != nullptr ? FindWindowExW(dialog, nullptr, L"SHELLDLL_DefView", nullptr) : nullptr;
    const HWND files =
        view != nullptr ? FindWindowExW(view, nullptr, WC_LISTVIEWW, nullptr) : nullptr;
    const int count = files != nullptr ? ListView_GetItemCount(files) : 0;
    if (count == 0 || walk.next > count) {
        return;
    }
    // the box is filled once the dialog has handled the click, which may take a few ticks
    if (walk.next > 0) {
        wchar_t clicked[512] = {};
        ListView_GetItemText(files, walk.next - 1, 0, clicked, 512);
        const std::string shown = fileNameShown(dialog);
        if (shown != win32::toUtf8Lossy(clicked) && ++walk.ticksWaited < 50) {
            return;
        }
        // F2 on it, as the user presses it: the rename box opens over the file, and is drawn
        SetFocus(files);
        SendMessageW(files, WM_KEYDOWN, VK_F2, 0);
        const HWND renameBox = FindWindowExW(files, nullptr, L"Edit", nullptr);
        UpdateWindow(renameBox);
        LOGFONTW face{};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(renameBox, WM_GETFONT, 0, 0)), sizeof face,
                   &face);
        walk.shown.push_back({shown, win32::toUtf8Lossy(windowText(renameBox)),
                              win32::toUtf8Lossy(face.lfFaceName)});
        SendMessageW(renameBox, WM_KEYDOWN, VK_ESCAPE, 0);
        walk.ticksWaited = 0;
    }
    if (walk.next++ == count) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    // a click on the file: the dialog writes its name into the file-name box
    ListView_SetItemState(files, -1, 0, LVIS_SELECTED);
    ListView_SetItemState(files, walk.next - 1, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
}

// Each name, in the list, in the open-file dialog and in the rename box its F2 opens there,
// shows whole, and the program lives on. Under Wine, each is drawn where an installed face has
// its characters, and an edit box that shows it, whoever made it, is in a face Wine shapes
// without ending the program.
TEST_F(WindowNames, EveryNameShowsWholeInTheListTheOpenFileDialogAndItsRenameBox) {
    const std::vector<std::string> names = melodyNamesOfEveryScript();
    for (const auto& name : names) {
        machine.addMelody(machine.rings, name);
    }
    start();
    const HWND list = control("File1");
    for (int row = 0; row < static_cast<int>(names.size()); ++row) {
        const std::wstring name = win32::toWideLossy(listText(row));
        // the font the list draws the row in, as it asks its window before each row
        const HDC dc = CreateCompatibleDC(nullptr);
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0)));
        NMLVCUSTOMDRAW draw{};
        draw.nmcd.hdr = {list, static_cast<UINT_PTR>(GetDlgCtrlID(list)),
                         static_cast<UINT>(NM_CUSTOMDRAW)};
        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        draw.nmcd.hdc = dc;
        draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
        SendMessageW(GetParent(list), WM_NOTIFY, draw.nmcd.hdr.idFrom,
                     reinterpret_cast<LPARAM>(&draw));
        const auto drawnIn = static_cast<HFONT>(GetCurrentObject(dc, OBJ_FONT));
        EXPECT_FALSE(lacksWhatTheSafeFaceHas(drawnIn, name)) << listText(row);
        DeleteDC(dc);
    }

    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("zorvik-names-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(folder);
    const ScopeExit removeFolder([&folder] {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    });
    for (const auto& name : names) {
        std::ofstream(folder / win32::toWideLossy(name)) << "RIFF";
    }
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    win32::Win32OpenFileDialog dialog(layout::kDialogTitle, "Wav|*.wav", window.handle());
    walk = {};
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, walkTheDialog);
    const Status shown = dialog.Show();
    KillTimer(nullptr, timer);
    fs::current_path(previous);
    ASSERT_TRUE(shown.ok());
    ASSERT_EQ(walk.shown.size(), names.size());
    for (const auto& name : names) {
        const auto seen = std::find_if(walk.shown.begin(), walk.shown.end(),
                                       [&name](const Shown& one) { return one.fileName == name; });
        ASSERT_NE(seen, walk.shown.end()) << name;
        // the rename box shows the name, its extension perhaps hidden
        EXPECT_FALSE(seen->renamed.empty()) << name;
        EXPECT_TRUE(name.starts_with(seen->renamed)) << name << " as " << seen->renamed;
        if (win32::runningUnderWine()) {
            EXPECT_EQ(seen->renameFace, win32::toUtf8Lossy(win32::wineSafeEditFace())) << name;
        }
    }
    EXPECT_TRUE(IsWindow(window.handle()));
}

}  // namespace
}  // namespace zorvik::testing
