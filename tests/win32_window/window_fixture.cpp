#include "tests/win32_window/window_fixture.h"

#include <oleacc.h>

#include <algorithm>
#include <array>
#include <vector>

#include "main_window/form1_layout.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/wine_edit_face.h"

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
    if (watch_ != 0) {
        KillTimer(nullptr, watch_);
    }
    // the window goes before the core it forwards to
    if (window.handle() != nullptr) {
        DestroyWindow(window.handle());
    }
    pump();
}

Form1& WindowFixture::start() {
    answerBoxes(kAnswerCancel);
    form = std::make_unique<Form1>(CoreServices{machine.files, machine.files.rights(), answered_,
                                                machine.dialog, machine.player, machine.decoder(),
                                                window, machine.shells, machine.ringLock, progress_,
                                                machine.elevation, "C:\\Program Files\\Zorvik"});
    const Status created = window.create();
    EXPECT_TRUE(created.ok()) << (created.ok() ? "" : created.failure().message);
    boxes_.setOwner(window.handle());
    progress_.setOwner(window.handle());
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

void WindowFixture::press(Key pressed, int repeats) {
    static const struct {
        WPARAM key;
        bool shift;
        bool extended;
    } kKeys[] = {{VK_TAB, false, false},    {VK_TAB, true, false},    {VK_DOWN, false, false},
                 {VK_RETURN, false, false}, {VK_RETURN, false, true}, {VK_SPACE, false, false}};
    const auto [key, shift, extended] = kKeys[static_cast<int>(pressed)];
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

bool lacksWhatTheSafeFaceHas(HFONT font, const std::wstring& text) {
    if (!win32::runningUnderWine()) {
        return false;
    }
    const HDC dc = CreateCompatibleDC(nullptr);
    const auto lacked = [dc, &text](HFONT face) {
        const HGDIOBJ before = SelectObject(dc, face);
        std::vector<WORD> glyphs(text.size());
        GetGlyphIndicesW(dc, text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                         GGI_MARK_NONEXISTING_GLYPHS);
        SelectObject(dc, before);
        return std::count(glyphs.begin(), glyphs.end(), WORD{0xFFFF});
    };
    const HFONT safe = win32::fontInFace(font, win32::wineSafeEditFace());
    const bool lacks = safe != nullptr && lacked(font) > lacked(safe);
    DeleteDC(dc);
    return lacks;
}

std::map<HWND, WindowFixture::Heard> WindowFixture::readByScreenReader() {
    // a reader of another process reads the same proxies, which Windows makes for it alike
    const bool comStarted = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    std::map<HWND, Heard> heard;
    const auto hear = [](HWND shown, LPARAM into) -> BOOL {
        IAccessible* object = nullptr;
        std::string name;
        if (IsWindowVisible(shown) != FALSE &&
            SUCCEEDED(AccessibleObjectFromWindow(shown, static_cast<DWORD>(OBJID_CLIENT),
                                                 __uuidof(IAccessible),
                                                 reinterpret_cast<void**>(&object)))) {
            VARIANT self{};
            self.vt = VT_I4;
            self.lVal = CHILDID_SELF;
            BSTR read = nullptr;
            if (object->get_accName(self, &read) == S_OK && read != nullptr) {
                name = win32::toUtf8Lossy(read);
            }
            SysFreeString(read);
            object->Release();
            const bool tabStop = (GetWindowLongPtrW(shown, GWL_STYLE) & WS_TABSTOP) != 0;
            (*reinterpret_cast<std::map<HWND, Heard>*>(into))[shown] = {tabStop, name};
        }
        return TRUE;
    };
    hear(window.handle(), reinterpret_cast<LPARAM>(&heard));
    EnumChildWindows(window.handle(), hear, reinterpret_cast<LPARAM>(&heard));
    if (comStarted) {
        CoUninitialize();
    }
    return heard;
}

}  // namespace zorvik::testing
