// The user's input on its way to the window, and the repaints it must wait for.
#include <windows.h>

#include <utility>

#include "main_window/form1.h"
#include "main_window/win32/form1_window.h"
#include "platform/scoped_value.h"

namespace zorvik::gui {

namespace {

bool isPressed(int key) {
    return GetKeyState(key) < 0;
}

}  // namespace

void Form1Window::handleMessage(MSG& message) {
    const ScopedValue mouse(handlingMouseButton_, message.message >= WM_LBUTTONDOWN &&
                                                      message.message <= WM_MBUTTONDBLCLK);
    if (form_ != nullptr && form_->isRepaintDue() && isInputToThisWindow(message)) {
        // The click or key that brings the window back comes right after the activation it
        // causes: the repaint goes first, or it would undo what the input did.
        form_->runDueRepaint();
    }
    if (!handleKey(message) &&
        !(window_ != nullptr && IsDialogMessageW(window_, &message) != FALSE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    passOnChoice();
}

void Form1Window::requestRepaint() {
    if (form_ == nullptr) {
        return;
    }
    form_->markRepaintDue();
    if (!repaintPosted_ && window_ != nullptr) {
        repaintPosted_ = PostMessageW(window_, kRepaintMessage, 0, 0) != FALSE;
    }
}

void Form1Window::runDueRepaint() {
    if (form_ != nullptr) {
        form_->runDueRepaint();
    }
}

int Form1Window::repaintsRequested() const {
    return form_ != nullptr ? form_->dueRepaintsRun() : 0;
}

bool Form1Window::isInputToThisWindow(const MSG& message) const {
    switch (message.message) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDOWN:
        case WM_XBUTTONDOWN:
        case WM_MOUSEWHEEL:
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            break;
        default:
            return false;
    }
    return window_ != nullptr &&
           (message.hwnd == window_ || IsChild(window_, message.hwnd) != FALSE);
}

bool Form1Window::handleKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || window_ == nullptr ||
        !(message.hwnd == window_ || IsChild(window_, message.hwnd) != FALSE)) {
        return false;
    }
    if (message.wParam == VK_TAB && !isPressed(VK_CONTROL) && !isPressed(VK_MENU)) {
        // by the design's tab indices, which differ from the stacking that Windows would follow
        moveFocus(isPressed(VK_SHIFT));
        return true;
    }
    if (message.wParam == VK_RETURN) {
        const DesignedControl* focused = controls_.byWindow(GetFocus());
        if (focused != nullptr && focused->design->kind == layout::Kind::CommandButton) {
            const bool repeated = (message.lParam & (1L << 30)) != 0;
            if (!repeated) {
                SendMessageW(window_, WM_COMMAND, MAKEWPARAM(focused->id, BN_CLICKED),
                             reinterpret_cast<LPARAM>(focused->window));
            }
            return true;
        }
    }
    return false;
}

void Form1Window::moveFocus(bool backwards) {
    const auto& order = controls_.tabOrder();
    const auto count = static_cast<std::ptrdiff_t>(order.size());
    if (count == 0) {
        return;
    }
    const HWND focus = GetFocus();
    std::ptrdiff_t at = backwards ? 0 : -1;
    for (std::ptrdiff_t i = 0; i < count; ++i) {
        if (order[static_cast<std::size_t>(i)] == focus) {
            at = i;
        }
    }
    for (std::ptrdiff_t step = 1; step <= count; ++step) {
        const std::ptrdiff_t next = ((at + (backwards ? -step : step)) % count + count) % count;
        const HWND candidate = order[static_cast<std::size_t>(next)];
        if (IsWindowVisible(candidate) != FALSE && IsWindowEnabled(candidate) != FALSE) {
            SetFocus(candidate);
            const DesignedControl* control = controls_.byWindow(candidate);
            if (control != nullptr && control->design->kind == layout::Kind::TextBox) {
                SendMessageW(candidate, EM_SETSEL, 0, -1);  // as a dialog does for its edits
            }
            break;
        }
    }
    // the keyboard is in use: show where the focus is
    SendMessageW(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
}

void Form1Window::passOnChoice() {
    auto choice = list_.takeChoice();
    if (choice && form_ != nullptr && window_ != nullptr) {
        form_->entryChosen(choice->index, choice->name);
    }
}

Form1::PressedWith Form1Window::pressedWith() const {
    // anything but the mouse (the keyboard, an assistive technology) leaves the pointer where
    // it was, perhaps far from the button
    return handlingMouseButton_ ? Form1::PressedWith::Mouse : Form1::PressedWith::Keyboard;
}

}  // namespace zorvik::gui
