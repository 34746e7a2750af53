#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Where Wine's faces would fault or cut (wine_edit_face.h), windows are held to a face that
// does neither: a font their creator gives them later is taken in that face. Under Wine only;
// on Windows these do nothing.
namespace zorvik::win32 {

// From now on, every edit box this thread creates, whoever creates it (the window's text boxes,
// the open-file dialog's file-name box, the rename box its list of files opens on F2), is held
// to the safe face. Once for a thread; a second call does nothing.
void holdEditBoxesInSafeFace();

// While it lives, the next dialog box this thread creates (a message box, a task dialog) and its
// controls are held to the face that shows `text` whole: the safe face, unless another has more
// of its characters.
class NextBoxInFaceShowing {
public:
    explicit NextBoxInFaceShowing(std::string_view text);
    ~NextBoxInFaceShowing();
    NextBoxInFaceShowing(const NextBoxInFaceShowing&) = delete;
    NextBoxInFaceShowing& operator=(const NextBoxInFaceShowing&) = delete;

private:
    std::wstring previous_;
};

}  // namespace zorvik::win32
