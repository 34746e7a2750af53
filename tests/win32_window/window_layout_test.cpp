#include <windows.h>

#include <commctrl.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <vector>

#include "main_window/form1_layout.h"
#include "main_window/win32/accessibility.h"
#include "main_window/win32/resource_ids.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/wine_edit_face.h"
#include "tests/support/designed_captions.h"
#include "tests/win32_window/window_fixture.h"

namespace zorvik::testing {
namespace {

class WindowLayout : public WindowFixture {};

std::string classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return win32::toUtf8Lossy(name);
}

LONG styleOf(HWND window) {
    return static_cast<LONG>(GetWindowLongPtrW(window, GWL_STYLE));
}

LRESULT CALLBACK countColourChanges(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR, DWORD_PTR count) {
    if (message == WM_SYSCOLORCHANGE) {
        ++*reinterpret_cast<int*>(count);
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LOGFONTW fontOf(HWND control) {
    LOGFONTW font{};
    const auto handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    GetObjectW(handle, sizeof font, &font);
    return font;
}

LONG fontHeight(double points, UINT dpi) {
    return -std::lround(points * dpi / 72.0);
}

TEST_F(WindowLayout, TheIconIsTheProgramsOwn32By32SixteenColourPicture) {
    start();
    EXPECT_NE(GetClassLongPtrW(window.handle(), GCLP_HICON), 0);
    const HMODULE program = GetModuleHandleW(nullptr);
    const HRSRC group = FindResourceW(program, MAKEINTRESOURCEW(ZORVIK_ICON_ID), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    auto* directory = static_cast<BYTE*>(LockResource(LoadResource(program, group)));
    const int iconId = LookupIconIdFromDirectoryEx(directory, TRUE, 32, 32, LR_DEFAULTCOLOR);
    const HRSRC icon = FindResourceW(program, MAKEINTRESOURCEW(iconId), RT_ICON);
    ASSERT_NE(icon, nullptr);
    const auto* picture =
        static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(program, icon)));
    EXPECT_EQ(picture->biWidth, 32);
    EXPECT_EQ(picture->biHeight, 64) << "colours and mask";
    EXPECT_EQ(picture->biBitCount, 4) << "16 colours";
}

TEST_F(WindowLayout, SiblingsStackAsTheTableListsThemTopmostFirst) {
    start();
    const auto stacking = [this](HWND parent) {
        std::vector<std::string> names;
        for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            names.push_back(nameOf(child));
        }
        return names;
    };
    // "": the hidden label that names the control after it for screen readers
    EXPECT_EQ(stacking(window.handle()),
              (std::vector<std::string>{"Check2", "Command2", "Command1", "Check1", "Frame1",
                                        "Frame4", "Frame3", "", "File1", "Frame2", "MMControl1"}));
    EXPECT_EQ(stacking(control("Frame3")), (std::vector<std::string>{"", "Text2", "", "Text1"}));
    EXPECT_EQ(stacking(control("Frame4")), (std::vector<std::string>{"Command3"}));
    // what lies above clips what lies beneath: Text2 over Text1, the list over its frame
    for (const auto& place : kDesignedPlaces) {
        EXPECT_NE(styleOf(control(place.name)) & WS_CLIPSIBLINGS, 0) << place.name;
    }
}

TEST_F(WindowLayout, ControlsAreNativeControlsOfTheirKind) {
    start();
    constexpr LONG kType = BS_TYPEMASK;
    constexpr LONG kFocusable = BS_MULTILINE | WS_TABSTOP;
    const struct {
        std::vector<const char*> names;
        const char* nativeClass;
        LONG type;  // the style's type bits, compared under typeMask
        LONG typeMask;
        LONG present;  // style bits that must be set
        LONG absent;   // and that must not
    } kinds[] = {
        {{"Check1", "Check2"}, "Button", BS_3STATE, kType, kFocusable, 0},
        // no button is the window's default
        {{"Command1", "Command2", "Command3"}, "Button", BS_PUSHBUTTON, kType, kFocusable, 0},
        {{"Frame1", "Frame2", "Frame3", "Frame4"}, "Button", BS_GROUPBOX, kType, 0, WS_TABSTOP},
        {{"Text1", "Text2"}, "Edit", 0, 0, ES_READONLY, WS_BORDER},
        {{"File1"},
         "SysListView32",
         LVS_REPORT,
         LVS_TYPEMASK,
         LVS_SINGLESEL | LVS_NOCOLUMNHEADER | LVS_OWNERDATA | LVS_SHOWSELALWAYS | WS_TABSTOP,
         LVS_EDITLABELS},
        {{"MMControl1"}, "Static", 0, 0, 0, WS_TABSTOP | WS_VISIBLE},
    };
    for (const auto& kind : kinds) {
        for (const char* name : kind.names) {
            SCOPED_TRACE(name);
            const HWND window_ = control(name);
            EXPECT_EQ(classOf(window_), kind.nativeClass);
            const LONG style = styleOf(window_);
            EXPECT_EQ(style & kind.typeMask, kind.type);
            EXPECT_EQ(style & kind.present, kind.present);
            EXPECT_EQ(style & kind.absent, 0);
        }
    }
    EXPECT_EQ(GetWindowLongPtrW(control("Text1"), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
}

TEST_F(WindowLayout, TheTextBoxesHaveTheirFacesAndColoursAndTheRestTheControlsFace) {
    start();
    const UINT dpi = window.dpi();
    // under Wine, a face its text shaping cannot end the program in
    const std::string textBoxFace =
        win32::runningUnderWine() ? win32::toUtf8Lossy(win32::wineSafeEditFace()) : "MS Sans Serif";
    EXPECT_FALSE(textBoxFace.empty());
    for (const char* name : {"Text1", "Text2"}) {
        SCOPED_TRACE(name);
        const LOGFONTW font = fontOf(control(name));
        EXPECT_EQ(win32::toUtf8Lossy(font.lfFaceName), textBoxFace);
        EXPECT_EQ(font.lfHeight, fontHeight(9.75, dpi));
        EXPECT_EQ(font.lfWeight, 700);
        EXPECT_EQ(font.lfItalic != 0, std::string_view(name) == "Text1");
        EXPECT_EQ(font.lfCharSet, RUSSIAN_CHARSET);
    }
    for (const char* name : {"Check1", "Check2", "Command1", "Command2", "Command3", "Frame1",
                             "Frame2", "Frame3", "Frame4", "File1"}) {
        SCOPED_TRACE(name);
        const LOGFONTW font = fontOf(control(name));
        EXPECT_EQ(win32::toUtf8Lossy(font.lfFaceName), "MS Sans Serif");
        EXPECT_EQ(font.lfHeight, fontHeight(8.25, dpi));
        EXPECT_EQ(font.lfWeight, FW_NORMAL);
        EXPECT_EQ(font.lfCharSet, RUSSIAN_CHARSET) << "every face must show Cyrillic";
    }

    const HDC dc = CreateCompatibleDC(nullptr);
    const struct {
        const char* name;
        COLORREF text;
    } colours[] = {{"Text1", RGB(128, 128, 128)}, {"Text2", RGB(192, 255, 255)}};
    for (const auto& box : colours) {
        SCOPED_TRACE(box.name);
        // asked of the frame the box belongs to, which hands it to the window
        const HWND control = this->control(box.name);
        const auto brush =
            SendMessageW(GetParent(control), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                         reinterpret_cast<LPARAM>(control));
        EXPECT_EQ(GetTextColor(dc), box.text);
        EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE));
        EXPECT_EQ(brush, reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE)));
    }
    DeleteDC(dc);
    // under a high-contrast theme, which Wine cannot turn on, the system's colour
    for (const auto& style : layout::kTextBoxStyles) {
        EXPECT_EQ(gui::textBoxTextColour(style, true), GetSysColor(COLOR_BTNTEXT)) << style.name;
    }
    // the list, a common control, hears of new system colours only from the window
    int changesHeard = 0;
    SetWindowSubclass(control("File1"), countColourChanges, 1,
                      reinterpret_cast<DWORD_PTR>(&changesHeard));
    SendMessageW(window.handle(), WM_SYSCOLORCHANGE, 0, 0);
    RemoveWindowSubclass(control("File1"), countColourChanges, 1);
    EXPECT_EQ(changesHeard, 1);
}

TEST_F(WindowLayout, AScreenReaderReadsANameForEveryControlInBothViews) {
    start();
    const std::string ringName = "Мелодията за звънене на Zorvik BG e:";
    const struct {
        MelodyView view;
        std::map<std::string, std::string> named;  // what no caption on the control says
    } views[] = {
        {MelodyView::Rings,
         {{"File1", "Мелодии в папката на Zorvik BG"},
          {"Text1", ringName},
          {"Text2", ringName},
          {"Command3", "Изтриване на маркираната мелодия"}}},
        {MelodyView::Deleted,
         {{"File1", "Мелодии в папка „Deleted“"},
          {"Text1", ringName},
          {"Text2", ringName},
          {"Command3", "Добавяне на маркираната мелодия"}}},
    };
    for (const auto& shown : views) {
        SCOPED_TRACE(shown.named.at("File1"));
        if (shown.view == MelodyView::Deleted) {
            form->pd_Click();
            pump();
        }
        auto heard = readByScreenReader();
        EXPECT_EQ(heard[window.handle()].name, "Избор на мелодия за Zorvik BG");
        // the rest by their captions; a hidden control, heard not at all, by none
        auto expected = shown.named;
        for (const auto& [name, caption] : kDesignedCaptions) {
            expected.emplace(name, caption);
        }
        for (const auto& [name, said] : expected) {
            EXPECT_EQ(heard[control(name)].name, said) << name;
        }
        for (const auto& [control_, what] : heard) {
            EXPECT_FALSE(what.tabStop && what.name.empty())
                << "the unnamed " << classOf(control_) << " takes the focus";
        }
    }
}

// At its monitor's DPI (the runner sets the desktop's and says which), and at another after a
// change, the window keeps its caption, its fixed frame, and the designed size and places.
TEST_F(WindowLayout, TheWindowHasItsCaptionAndFixedFrameAndIsRescaledAtEachDpi) {
    start();
    if (const char* expected = std::getenv("ZORVIK_EXPECTED_DPI")) {
        EXPECT_EQ(window.dpi(), static_cast<UINT>(std::atoi(expected)));
    }
    const UINT other = window.dpi() == 144 ? 96 : 144;
    for (const UINT dpi : {window.dpi(), other}) {
        SCOPED_TRACE(dpi);
        ASSERT_EQ(window.dpi(), dpi);
        EXPECT_EQ(textOf(window.handle()), "Избор на мелодия за Zorvik BG");
        EXPECT_EQ(styleOf(window.handle()) & WS_THICKFRAME, 0) << "a fixed layout does not stretch";
        RECT client;
        GetClientRect(window.handle(), &client);
        EXPECT_EQ(client.right, pixelsOf(4725, static_cast<int>(dpi)));
        EXPECT_EQ(client.bottom, pixelsOf(5190, static_cast<int>(dpi)));
        expectTheDesignedPlaces(*this);
        EXPECT_EQ(fontOf(control("Text1")).lfHeight, fontHeight(9.75, dpi));
        EXPECT_EQ(fontOf(control("Command1")).lfHeight, fontHeight(8.25, dpi));
        RECT suggested;
        GetWindowRect(window.handle(), &suggested);
        SendMessageW(window.handle(), WM_DPICHANGED, MAKEWPARAM(other, other),
                     reinterpret_cast<LPARAM>(&suggested));
        pump();
    }
}

}  // namespace
}  // namespace zorvik::testing
