#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace zorvik::win32 {

// The text of a box, with every run longer than a box should be wide broken into lines: a
// box grows as wide as the longest run it cannot break between words.
std::wstring brokenForTheScreen(std::string_view message);

// The text of a task dialog: under Wine, whose task dialog cuts the end of its widest line,
// broken into lines here, each with room for it to cut.
std::wstring forTaskDialog(std::string_view message);

// The width of a task dialog, in dialog units, as TASKDIALOGCONFIG takes it: 0 (Windows' own
// choice) on Windows; under Wine, whose task dialog breaks its text for one width and shows it in
// a narrower one, cutting the ends of lines, a width that holds the program's questions.
UINT taskDialogWidth();

// Where a box of this size stands over its owner: centred on it, and moved in from an edge of
// the work area (the monitor less the task bar) that centring would cross; a box larger than the
// work area starts at its top left corner.
POINT placeOverOwner(SIZE box, const RECT& owner, const RECT& workArea);

// Moves `box` there, over `owner` on the owner's monitor (over the box's own monitor, centred,
// without an owner).
void placeOverOwner(HWND box, HWND owner);

// While it lives, the next dialog box this thread activates (a message box, which offers no
// other way in) is placed over `owner`.
class NextBoxPlacedOverOwner {
public:
    explicit NextBoxPlacedOverOwner(HWND owner);
    ~NextBoxPlacedOverOwner();
    NextBoxPlacedOverOwner(const NextBoxPlacedOverOwner&) = delete;
    NextBoxPlacedOverOwner& operator=(const NextBoxPlacedOverOwner&) = delete;

private:
    HHOOK hook_;
    HWND previousOwner_;
    bool previousWaiting_;
};

}  // namespace zorvik::win32
