#pragma once

#include <QPalette>

#include "main_window/form1_layout.h"
#include "melody_library/melody_library.h"

class QLineEdit;

// What Orca and other screen readers are told of the window over AT-SPI, and the text boxes'
// colours under a high-contrast palette.
namespace zorvik::gui {

class Form1Window;

// Reports the program's window as a frame, as screen readers expect of a top-level window (Qt
// reports a plain top-level widget as a filler). Once the application exists and before the
// window is made, so that no interface of the window is cached with the wrong role.
void installAccessibleRoles();

// Names and descriptions from the core's table for the view shown. Only a text that changed is
// set: each change is announced to the screen reader.
void describeForScreenReaders(Form1Window& window, MelodyView view);

// A palette of high contrast: windows, fields and buttons on pure black or white, each text at
// least 7:1 against its background.
bool isHighContrast(const QPalette& palette);

// The box's colours as designed, or the system's under a high-contrast palette, following the
// application's palette whenever it changes.
void colourTextBox(QLineEdit& box, const layout::TextBoxStyle& style);

}  // namespace zorvik::gui
