#pragma once

#include <windows.h>

// Where Wine's faces would fault or cut (wine_edit_face.h), windows are held to a face that
// does neither: a font their creator gives them later is taken in that face. Under Wine only;
// on Windows these do nothing.
namespace zorvik::win32 {

// From now on, every edit box this thread creates, whoever creates it (the window's text boxes,
// the open-file dialog's file-name box, the rename box its list of files opens on F2), is held
// to the safe face. Once for a thread; a second call does nothing.
void holdEditBoxesInSafeFace();

}  // namespace zorvik::win32
