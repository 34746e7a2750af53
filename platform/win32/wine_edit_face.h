#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/win32/running_under_wine.h"

namespace zorvik::win32 {

// Wine's ways with faces, which real Windows does not share:
// - Its uniscribe can fault while an edit box shapes text in some faces: with the face it
//   substitutes for "MS Sans Serif", "MS Shell Dlg", "Tahoma", "Arial" and the like on Debian 12
//   (Liberation Sans), a text holding a lowercase д, е, ж or з ends the program inside
//   SetWindowTextW. Only the edit box shapes with uniscribe; DrawText and ExtTextOut do not.
// - In that face, at 96 dpi, Cyrillic is drawn a few pixels wider than DrawText measures it, so
//   that a box sized by the measure cuts the end of its lines.
// - It links no face to another that has the characters it lacks (Arabic, say), as Windows
//   does: they show as boxes.

// The face an edit box, or a box's text, should use instead of the design's: under Wine, the
// first installed face that Wine shapes safely and measures as it draws; "" on Windows, which
// keeps the designed face, and under a Wine that has none of them installed.
const std::wstring& wineSafeEditFace();

// Under Wine, the installed face that shows the most characters of `text`: `preferred`, unless
// another has more of them. Characters no installed face has stay as boxes.
std::wstring wineFaceShowing(std::wstring_view text, const std::wstring& preferred);

// `font`, or under Wine `font` in the face that shows more of `text` (wineFaceShowing).
HFONT fontShowing(HFONT font, std::wstring_view text);

// `font` in `face`, its size, weight and style kept; nullptr for no font, or where it is in that
// face already. Made once for each such font and kept while the program runs: nobody deletes it.
HFONT fontInFace(HFONT font, const std::wstring& face);

}  // namespace zorvik::win32
