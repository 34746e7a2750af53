// Reads the running program's window from outside, as a test sees it on the screen:
//   zorvik_window_probe ready SECONDS   waits for the window, shown
//   zorvik_window_probe client          "width height dpi" of its client area
//   zorvik_window_probe entries         the names in the list, one a line
//   zorvik_window_probe selected        the selected row, or -1
//   zorvik_window_probe control NAME    the screen point at the middle of a control
//   zorvik_window_probe row N           the screen point at the middle of list row N
//   zorvik_window_probe box SECONDS     waits for a message box of the program; its title
//   zorvik_window_probe ok              the screen point at the middle of that box's OK button
// Text is written as UTF-8.
#include <windows.h>

#include <commctrl.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "main_window/form1_layout.h"
#include "main_window/win32/form1_window.h"
#include "platform/win32/wide_text.h"
#include "tests/win32_window/probe_print.h"

namespace {

using zorvik::testing::print;
using zorvik::testing::printMiddle;
using zorvik::testing::shownControls;
using zorvik::testing::waitForWindow;
using zorvik::testing::windowText;
using zorvik::win32::toUtf8Lossy;

HWND programWindow() {
    return FindWindowW(zorvik::gui::Form1Window::kClassName, nullptr);
}

// A control by its design name: the list by its class, the others by their caption.
HWND controlNamed(HWND window, std::string_view name) {
    const auto* design = zorvik::layout::findControl(name);
    if (design == nullptr) {
        return nullptr;
    }
    if (design->kind == zorvik::layout::Kind::FileListBox) {
        return FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
    }
    for (const HWND control : shownControls(window)) {
        if (toUtf8Lossy(windowText(control)) == design->caption) {
            return control;
        }
    }
    return nullptr;
}

// The list lives in another process: what it writes back must be in that process's memory.
class RemoteBuffer {
public:
    RemoteBuffer(HWND owner, std::size_t size) : size_(size) {
        DWORD processId = 0;
        GetWindowThreadProcessId(owner, &processId);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               processId);
        if (process_ != nullptr) {
            memory_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
        }
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    ~RemoteBuffer() {
        if (memory_ != nullptr) {
            VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
        }
        if (process_ != nullptr) {
            CloseHandle(process_);
        }
    }
    bool valid() const { return memory_ != nullptr; }
    char* at(std::size_t offset) const { return static_cast<char*>(memory_) + offset; }
    void write(std::size_t offset, const void* data, std::size_t size) const {
        WriteProcessMemory(process_, at(offset), data, size, nullptr);
    }
    void read(std::size_t offset, void* data, std::size_t size) const {
        ReadProcessMemory(process_, at(offset), data, size, nullptr);
    }

private:
    std::size_t size_;
    HANDLE process_ = nullptr;
    void* memory_ = nullptr;
};

int printEntries(HWND list) {
    constexpr std::size_t kTextChars = 1024;
    RemoteBuffer remote(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    if (!remote.valid()) {
        return 1;
    }
    const auto count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        LVITEMW item{};
        item.pszText = reinterpret_cast<wchar_t*>(remote.at(sizeof(LVITEMW)));
        item.cchTextMax = static_cast<int>(kTextChars);
        remote.write(0, &item, sizeof item);
        const auto length =
            static_cast<std::size_t>(SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                                  reinterpret_cast<LPARAM>(remote.at(0))));
        std::wstring text(length, L'\0');
        remote.read(sizeof(LVITEMW), text.data(), length * sizeof(wchar_t));
        print(toUtf8Lossy(text));
    }
    return 0;
}

int printRow(HWND list, int row) {
    RemoteBuffer remote(list, sizeof(RECT));
    if (!remote.valid()) {
        return 1;
    }
    RECT area{};
    area.left = LVIR_BOUNDS;
    remote.write(0, &area, sizeof area);
    if (SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(remote.at(0))) == FALSE) {
        return 1;
    }
    remote.read(0, &area, sizeof area);
    // near the start of the name, where the row is surely the row
    area.right = area.left + 2 * 8;
    printMiddle(list, area);
    return 0;
}

HWND programBox() {
    const HWND window = programWindow();
    DWORD program = 0;
    GetWindowThreadProcessId(window, &program);
    for (HWND box = FindWindowW(L"#32770", nullptr); box != nullptr;
         box = FindWindowExW(nullptr, box, L"#32770", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(box, &owner);
        if (owner == program && IsWindowVisible(box) != FALSE) {
            return box;
        }
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "ready") {
        const int seconds = argc > 2 ? std::atoi(argv[2]) : 30;
        const HWND shown = waitForWindow(seconds, [] {
            const HWND window = programWindow();
            return window != nullptr && IsWindowVisible(window) != FALSE ? window : nullptr;
        });
        return shown != nullptr ? 0 : 1;
    }
    const HWND window = programWindow();
    if (window == nullptr) {
        std::fputs("zorvik_window_probe: the program's window is not there\n", stderr);
        return 1;
    }
    const HWND list = controlNamed(window, "File1");
    if (command == "client") {
        RECT client;
        GetClientRect(window, &client);
        print(std::to_string(client.right) + " " + std::to_string(client.bottom) + " " +
              std::to_string(GetDpiForWindow(window)));
        return 0;
    }
    if (command == "entries") {
        return printEntries(list);
    }
    if (command == "selected") {
        print(std::to_string(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                          MAKELPARAM(LVNI_SELECTED, 0))));
        return 0;
    }
    if (command == "control" && argc > 2) {
        const HWND control = controlNamed(window, argv[2]);
        if (control == nullptr) {
            return 1;
        }
        printMiddle(control);
        return 0;
    }
    if (command == "row" && argc > 2) {
        return printRow(list, std::atoi(argv[2]));
    }
    if (command == "box") {
        const int seconds = argc > 2 ? std::atoi(argv[2]) : 30;
        if (waitForWindow(seconds, programBox) == nullptr) {
            return 1;
        }
        print(toUtf8Lossy(windowText(programBox())));
        // then what it says and its buttons, one a line
        for (const HWND control : shownControls(programBox())) {
            if (const std::wstring text = windowText(control); !text.empty()) {
                print(toUtf8Lossy(text));
            }
        }
        return 0;
    }
    if (command == "ok") {
        const HWND button = GetDlgItem(programBox(), IDOK);
        if (button == nullptr) {
            return 1;
        }
        printMiddle(button);
        return 0;
    }
    std::fputs(
        "usage: zorvik_window_probe "
        "ready|client|entries|selected|control NAME|row N|box|ok\n",
        stderr);
    return 2;
}
