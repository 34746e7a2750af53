#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "main_window/form_picture.h"

namespace zorvik::gui {

// File1 as a virtual report-mode list view: it shows the list of the core's picture and
// reports what the user picks, with the mouse rules of a file list (a click beside the names
// never clears the selection; a click on the selected melody counts again). A name too long
// for its row shows whole in a tip under the pointer, in lines that keep it on the screen. While
// it has the focus it always shows where the keyboard is: around that entry, or around the
// whole list where the keyboard has no place yet.
class MelodyListView {
public:
    struct Choice {
        std::size_t index;
        std::string name;  // so that a refresh in between cannot make it another melody
    };

    MelodyListView() = default;
    MelodyListView(const MelodyListView&) = delete;
    MelodyListView& operator=(const MelodyListView&) = delete;

    // Takes over the list control: its one column, its look and its mouse.
    void attach(HWND list);
    HWND window() const { return list_; }
    // The tip that shows a cut name whole, for tests.
    HWND nameTip() const { return tip_; }

    // Shows the names (converted again only when they changed), the selection and the
    // keyboard's place, reporting nothing.
    void show(const FormPicture& picture);
    // The one column as wide as the list, so that no horizontal scroll bar ever shows.
    void fitColumn();

    // Answers a notification of the list; nullopt for those it leaves to Windows.
    std::optional<LRESULT> onNotify(const NMHDR& header);
    // The entry the user chose since the last call, taken once.
    std::optional<Choice> takeChoice();

private:
    static LRESULT CALLBACK listProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onListMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The list's own procedure.
    LRESULT listDefault(UINT message, WPARAM wParam, LPARAM lParam) const;
    int findByPrefix(const NMLVFINDITEMW& find) const;
    void choose(int item);
    void createNameTip();
    bool isCut(int item) const;
    // The name of `item` as its tip shows it, in lines no wider than half the screen.
    std::wstring tipTextOf(int item) const;
    bool framesTheList() const;
    void drawFocusAroundTheList(HDC dc);
    void tipOffTheRowsThatMoved();
    // The font of a row whose name the list's font cannot show (under Wine), else nullptr.
    HFONT rowFont(std::size_t row);

    HWND list_ = nullptr;
    WNDPROC listDefault_ = nullptr;
    HWND tip_ = nullptr;
    int tipItem_ = -1;         // the row under the pointer
    int paintedTop_ = 0;       // the first row shown at the last paint
    bool frameDrawn_ = false;  // whether the last paint framed the whole list
    std::wstring tipText_;
    HFONT tipFont_ = nullptr;  // the tip's own
    std::vector<std::wstring> names_;
    std::vector<std::optional<HFONT>> rowFonts_;  // each found at its first paint
    std::optional<std::uint64_t> shownRevision_;
    bool showing_ = false;
    std::optional<int> chosen_;
};

}  // namespace zorvik::gui
