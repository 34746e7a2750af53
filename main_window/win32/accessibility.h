#pragma once

#include <windows.h>

#include "main_window/form1_layout.h"
#include "main_window/win32/design_controls.h"
#include "melody_library/melody_library.h"

// What screen readers (NVDA, Narrator) read of the window through Windows' own accessibility for
// standard controls, and the text boxes' colours under a high-contrast theme.
namespace zorvik::gui {

// Names the controls that show no caption of their own, the list and the text boxes. Windows
// names such a control after the label right before it in z-order, which may be hidden; Wine
// names an edit box so too, but a list view only after its own window text. Both are given.
void labelForScreenReaders(const DesignedControls& controls);
// Names the list after the view shown. Only a name that changed is set: each change is
// announced to the screen reader.
void nameForView(const DesignedControls& controls, MelodyView view);

// Whether the system's high-contrast theme is on.
bool systemHighContrast();
// The colour a text box writes in: as designed, or the system's button text under high contrast.
COLORREF textBoxTextColour(const layout::TextBoxStyle& style, bool highContrast);
// After a change of the system's colours or settings: the list view takes the new colours (a
// common control hears of them only from its parent) and the text boxes are drawn anew.
void followSystemColours(const DesignedControls& controls, UINT message);

}  // namespace zorvik::gui
