#pragma once

#include <windows.h>

#include <cmath>
#include <memory>
#include <type_traits>

#include "main_window/form1_layout.h"

// The design's twips and points on a monitor of a given DPI (96 at 100 %).
namespace zorvik::gui {

inline constexpr UINT kDesignDpi = 96;

// Rounds half away from zero, as MulDiv does, so at 96 dpi this is layout::toPixels.
inline int pixelsAt(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), 1440);
}

inline RECT designRectAt(const layout::Control& control, UINT dpi) {
    const int left = pixelsAt(control.left, dpi);
    const int top = pixelsAt(control.top, dpi);
    return {left, top, left + pixelsAt(control.width, dpi), top + pixelsAt(control.height, dpi)};
}

// A LOGFONT height: negative, so that it is the height of the characters without leading.
inline LONG fontHeightAt(double points, UINT dpi) {
    return -std::lround(points * static_cast<double>(dpi) / 72.0);
}

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

// The three faces of the window at one DPI: the controls' and the two text boxes'.
struct DesignFonts {
    FontHandle controls;
    FontHandle text1;
    FontHandle text2;

    static DesignFonts at(UINT dpi);
    // The face of a text box by its design name; nullptr for any other control.
    HFONT textBoxFont(std::string_view name) const;
};

}  // namespace zorvik::gui
