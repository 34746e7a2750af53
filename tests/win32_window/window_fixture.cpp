#include "tests/win32_window/window_fixture.h"

#include <array>
#include <cstdint>
#include <sstream>

#include "main_window/form1_layout.h"
#include "platform/win32/wide_text.h"

namespace zorvik::testing {

bool WindowFixture::desktopAvailable_ = false;

void WindowFixture::SetUpTestSuite() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    const HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                       nullptr, GetModuleHandleW(nullptr), nullptr);
    desktopAvailable_ = probe != nullptr && GetSystemMetrics(SM_CXSCREEN) > 0;
    if (probe != nullptr) {
        DestroyWindow(probe);
    }
}

void WindowFixture::SetUp() {
    if (!desktopAvailable_) {
        GTEST_SKIP() << "no desktop to show a window on";
    }
}

void WindowFixture::TearDown() {
    // the window goes before the core it forwards to
    if (window.handle() != nullptr) {
        DestroyWindow(window.handle());
    }
    pump();
}

Form1& WindowFixture::start(MessageBoxService* boxes) {
    form = std::make_unique<Form1>(
        Form1::Services{machine.files, boxes != nullptr ? *boxes : machine.box, machine.dialog,
                        machine.player, window, machine.shells, machine.ringLock, machine.progress,
                        machine.elevation, "C:\\Program Files\\Zorvik"});
    const Status created = window.create();
    EXPECT_TRUE(created.ok()) << (created.ok() ? "" : created.failure().message);
    window.attach(*form);
    form->Form_Load();
    window.show(SW_SHOWNORMAL);
    SetForegroundWindow(window.handle());
    EXPECT_TRUE(waitFor([this] {
        return GetForegroundWindow() == window.handle() && GetFocus() == control("File1");
    })) << "the window never became active with the focus on the list";
    pump();
    return *form;
}

void WindowFixture::pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
        if (message.message == WM_QUIT) {
            quitPosted = true;
            continue;
        }
        window.handleMessage(message);
    }
}

bool WindowFixture::waitFor(const std::function<bool()>& condition) {
    for (int round = 0; round < 500; ++round) {
        pump();
        if (condition()) {
            return true;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return condition();
}

void WindowFixture::press(WPARAM key, bool shift, int repeats, bool extended) {
    std::array<BYTE, 256> keys{};
    GetKeyboardState(keys.data());
    std::array<BYTE, 256> before = keys;
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys.data());
    const HWND target = GetFocus();
    for (int press = 0; press <= repeats; ++press) {
        // bit 30: the key was down already; bit 24: an extended key
        const LPARAM flags = (press > 0 ? 0x40000001 : 1) | (extended ? 0x01000000 : 0);
        MSG down{target, WM_KEYDOWN, key, flags, 0, {}};
        window.handleMessage(down);
        pump();
    }
    MSG up{target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u | (extended ? 0x01000000u : 0)),
           0,      {}};
    window.handleMessage(up);
    pump();
    SetKeyboardState(before.data());
}

POINT WindowFixture::inRow(int row) const {
    RECT item{};
    item.left = LVIR_BOUNDS;
    SendMessageW(control("File1"), LVM_GETITEMRECT, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&item));
    return {item.left + 4, (item.top + item.bottom) / 2};
}

void WindowFixture::clickList(POINT point) {
    const HWND list = control("File1");
    const LPARAM at = MAKELPARAM(point.x, point.y);
    // released at once, so that the list's wait for a drag ends
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    MSG down{list, WM_LBUTTONDOWN, MK_LBUTTON, at, 0, {}};
    window.handleMessage(down);
    pump();
}

void WindowFixture::clickRow(int row) {
    clickList(inRow(row));
}

void WindowFixture::clickBelowTheNames() {
    RECT client;
    GetClientRect(control("File1"), &client);
    clickList({4, client.bottom - 2});
}

void WindowFixture::activateAgain() {
    SendMessageW(window.handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageW(window.handle(), WM_ACTIVATE, WA_ACTIVE, 0);
}

std::string WindowFixture::nameOf(HWND window_) const {
    for (const auto& design : layout::kControls) {
        if (control(design.name) == window_) {
            return std::string(design.name);
        }
    }
    return {};
}

std::string WindowFixture::listText(int row) const {
    std::wstring text(512, L'\0');
    LVITEMW item{};
    item.iSubItem = 0;
    item.pszText = text.data();
    item.cchTextMax = static_cast<int>(text.size());
    const auto length = SendMessageW(control("File1"), LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                     reinterpret_cast<LPARAM>(&item));
    text.resize(static_cast<std::size_t>(length));
    return win32::toUtf8Lossy(text);
}

int WindowFixture::listItemWith(UINT state) const {
    return static_cast<int>(SendMessageW(control("File1"), LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                         MAKELPARAM(state, 0)));
}

std::map<HWND, WindowFixture::Heard> WindowFixture::readByScreenReader() {
    std::wstring probe(MAX_PATH, L'\0');
    probe.resize(GetModuleFileNameW(nullptr, probe.data(), MAX_PATH));
    probe.resize(probe.find_last_of(L"\\/") + 1);
    probe += L"zorvik_window_probe.exe";
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE fromProbe = nullptr;
    HANDLE toUs = nullptr;
    if (CreatePipe(&fromProbe, &toUs, &inheritable, 1 << 16) == FALSE) {
        ADD_FAILURE() << "no pipe for the probe";
        return {};
    }
    SetHandleInformation(fromProbe, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = toUs;
    startup.hStdError = toUs;
    std::wstring commandLine = L"\"" + probe + L"\" names";
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(probe.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        0, nullptr, nullptr, &startup, &process) != FALSE;
    CloseHandle(toUs);
    std::string output;
    const auto takeOutput = [&] {
        DWORD waiting = 0;
        while (PeekNamedPipe(fromProbe, nullptr, 0, nullptr, &waiting, nullptr) != FALSE &&
               waiting > 0) {
            std::string chunk(waiting, '\0');
            DWORD read = 0;
            if (ReadFile(fromProbe, chunk.data(), waiting, &read, nullptr) == FALSE) {
                break;
            }
            output.append(chunk, 0, read);
        }
    };
    if (started) {
        // the probe's questions come to this thread's windows: they are answered meanwhile
        bool ended = false;
        for (int round = 0; round < 600 && !ended; ++round) {
            ended = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 50, QS_ALLINPUT) ==
                    WAIT_OBJECT_0;
            pump();
            takeOutput();
        }
        EXPECT_TRUE(ended) << "the probe did not finish";
        if (!ended) {
            TerminateProcess(process.hProcess, 1);
        }
        takeOutput();
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(fromProbe);
    EXPECT_TRUE(started) << "zorvik_window_probe.exe is missing beside the tests";

    std::map<HWND, Heard> heard;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string handle;
        int tabStop = 0;
        if (!(fields >> handle >> tabStop)) {
            continue;
        }
        std::string name;
        std::getline(fields >> std::ws, name);
        const auto window_ =
            reinterpret_cast<HWND>(static_cast<std::uintptr_t>(std::stoull(handle, nullptr, 16)));
        heard[window_] = {tabStop != 0, name};
    }
    return heard;
}

}  // namespace zorvik::testing
