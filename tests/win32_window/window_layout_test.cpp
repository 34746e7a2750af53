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

LONG fontHeight(double points, UINT dpi) {
    return -std::lround(points * dpi / 72.0);
}

TEST_F(WindowLayout, TheIconIsTheProgramsOwn32By32SixteenColourPicture) {
    start();
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

// Under Wine the text boxes take a face its text shaping cannot end the program in; every
// face shows Cyrillic. The system's colours: its text under a high-contrast theme, which Wine
// cannot turn on, and the list, a common control, hears of new ones only from the window.
TEST_F(WindowLayout, TheTextBoxesHaveTheirFaceAndEveryControlCyrillicAndTheSystemsColours) {
    start();
    const std::string textBoxFace =
        win32::runningUnderWine() ? win32::toUtf8Lossy(win32::wineSafeEditFace()) : "MS Sans Serif";
    EXPECT_FALSE(textBoxFace.empty());
    for (const auto& place : kDesignedPlaces) {
        if (std::string_view(place.name) == "MMControl1") {
            continue;
        }
        const LOGFONTW font = fontOf(place.name);
        const bool textBox = std::string_view(place.name).starts_with("Text");
        EXPECT_EQ(win32::toUtf8Lossy(font.lfFaceName), textBox ? textBoxFace : "MS Sans Serif")
            << place.name;
        EXPECT_EQ(font.lfCharSet, RUSSIAN_CHARSET) << place.name;
    }
    for (const auto& style : layout::kTextBoxStyles) {
        EXPECT_EQ(gui::textBoxTextColour(style, true), GetSysColor(COLOR_BTNTEXT)) << style.name;
    }
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
// change, the window keeps the designed size, places and faces.
TEST_F(WindowLayout, TheWindowIsRescaledAtEachDpi) {
    start();
    if (const char* expected = std::getenv("ZORVIK_EXPECTED_DPI")) {
        EXPECT_EQ(window.dpi(), static_cast<UINT>(std::atoi(expected)));
    }
    const UINT other = window.dpi() == 144 ? 96 : 144;
    for (const UINT dpi : {window.dpi(), other}) {
        SCOPED_TRACE(dpi);
        ASSERT_EQ(window.dpi(), dpi);
        RECT client;
        GetClientRect(window.handle(), &client);
        EXPECT_EQ(client.right, pixelsOf(4725, static_cast<int>(dpi)));
        EXPECT_EQ(client.bottom, pixelsOf(5190, static_cast<int>(dpi)));
        expectTheDesignedPlaces(*this);
        EXPECT_EQ(fontOf("Text1").lfHeight, fontHeight(9.75, dpi));
        EXPECT_EQ(fontOf("Command1").lfHeight, fontHeight(8.25, dpi));
        RECT suggested;
        GetWindowRect(window.handle(), &suggested);
        SendMessageW(window.handle(), WM_DPICHANGED, MAKEWPARAM(other, other),
                     reinterpret_cast<LPARAM>(&suggested));
        pump();
    }
}

}  // namespace
}  // namespace zorvik::testing
