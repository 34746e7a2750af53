#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/running_under_wine.h"

namespace zorvik::win32 {

// Wine's ways with faces, which real Windows does not share:
// - Its uniscribe can fault while an edit box shapes text in some faces: with the face it
//   substitutes for "MS Sans Serif", "MS Shell Dlg", "Tahoma", "Arial" and the like on Debian 12
//   (Liberation Sans), a text holding a lowercase д, е, ж or з ends the program inside
//   SetWindowTextW. Only the edit box shapes with uniscribe; DrawText and ExtTextOut do not.

// The face an edit box should use instead of the design's: under Wine, the first installed face
// that Wine shapes safely; "" on Windows, which keeps the designed face, and under a Wine that
// has none of them installed.
const std::wstring& wineSafeEditFace();

// `font` in `face`, its size, weight and style kept; nullptr for no font, or where it is in that
// face already. Made once for each such font and kept while the program runs: nobody deletes it.
HFONT fontInFace(HFONT font, const std::wstring& face);

}  // namespace zorvik::win32
