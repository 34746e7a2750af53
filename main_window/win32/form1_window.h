#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "main_window/form1.h"
#include "main_window/win32/design_controls.h"
#include "main_window/win32/melody_list_view.h"
#include "platform/popup_menu.h"
#include "platform/status.h"

namespace zorvik {

namespace gui {

// The window Form1 drawn with native Win32 controls exactly as designed, forwarding each event
// to the core and redrawing what the core then holds. It decides nothing itself.
class Form1Window final : public PopupMenu {
public:
    // The window class, by which tools find the program's window among others.
    static constexpr wchar_t kClassName[] = L"ZorvikMelodiesForm1";

    Form1Window() = default;
    Form1Window(const Form1Window&) = delete;
    Form1Window& operator=(const Form1Window&) = delete;
    ~Form1Window() override;

    // Creates the window, hidden, with all its controls and its hidden menu. Fails when Windows
    // refuses the window (no desktop, say), naming why.
    Status create();
    void attach(Form1& form);
    // Shows the window the first time, the focus on the list (the lowest tab index).
    void show(int showCommand);

    // Every message of the thread's queue passes through here, instead of straight to
    // TranslateMessage and DispatchMessage: a repaint that is due runs before the input that
    // caused it, Tab follows the design's tab order, Enter presses the focused button, and the
    // melody the user picked is handed on once the list has finished with the click.
    void handleMessage(MSG& message);

    std::string popup(std::string_view menuName, PopupPlace place) override;
    void dismiss() override;

    HWND handle() const { return window_; }
    // A control by its design name ("Command3", "Text1", ...), for tests and tools.
    HWND control(std::string_view name) const { return controls_.window(name); }
    UINT dpi() const { return dpi_; }
    // The hidden menu v as the popup shows it, and the tip of the list's cut names, for tests.
    HMENU hiddenMenu() const { return menu_; }
    HWND nameTip() const { return list_.nameTip(); }
    // How often the window's surface counted as repainted, for tests.
    int repaintsRequested() const;

private:
    // Posted to run a repaint that became due, once the messages before it are handled.
    static constexpr UINT kRepaintMessage = WM_APP + 1;

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onCommand(int id, int notification);
    LRESULT onControlColour(HDC dc, HWND control, UINT message, WPARAM wParam, LPARAM lParam);
    void onActivate(WPARAM wParam);
    void onDpiChanged(UINT dpi, const RECT& suggested);
    void sizeForClientAt(UINT dpi, const RECT* suggested);
    // Takes the window away and ends the program's loop, once the core has closed it.
    void destroy();
    void showForm();

    // A repaint becomes due now and runs from the message loop, or before the user's next
    // input to this window, whichever comes first; several due at once run once.
    void requestRepaint();
    void runDueRepaint();
    bool isInputToThisWindow(const MSG& message) const;
    bool handleKey(const MSG& message);
    void moveFocus(bool backwards);
    void passOnChoice();
    Form1::PressedWith pressedWith() const;

    HWND window_ = nullptr;
    HMENU menu_ = nullptr;
    UINT dpi_ = 96;
    DesignedControls controls_;
    MelodyListView list_;
    Form1* form_ = nullptr;
    HWND focusToRestore_ = nullptr;
    bool minimised_ = false;
    bool repaintPosted_ = false;
    bool menuOpen_ = false;
    // the input message being handled is the mouse's: a button clicked now was clicked with it
    bool handlingMouseButton_ = false;
    std::string shownText1_, shownText2_, shownCommand3_;
};

}  // namespace gui
}  // namespace zorvik
