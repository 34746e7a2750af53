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
#include "tests/support/melody_names.h"
#include "tests/win32_window/window_fixture.h"

namespace zorvik::testing {
namespace {

class WindowNames : public WindowFixture {};

// What the open-file dialog's file-name box shows for each file clicked in its list, one file a
// tick, and then Cancel. Static: the timer that walks the dialog takes no context.
struct DialogWalk {
    int next = 0;
    int ticksWaited = 0;
    std::vector<std::string> shown;
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
        walk.shown.push_back(shown);
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

// Each name is clicked in the open-file dialog, which shows it whole, and the program lives on.
TEST_F(WindowNames, EveryNameIsPickedInTheOpenFileDialog) {
    const std::vector<std::string> names = melodyNamesOfEveryScript();
    start();
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
    EXPECT_EQ(walk.shown.size(), names.size());
    for (const auto& name : names) {
        EXPECT_EQ(std::count(walk.shown.begin(), walk.shown.end(), name), 1) << name;
    }
    EXPECT_TRUE(IsWindow(window.handle()));
}

}  // namespace
}  // namespace zorvik::testing
