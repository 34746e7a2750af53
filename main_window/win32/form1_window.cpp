#include "main_window/win32/form1_window.h"

#include <commctrl.h>

#include <array>

#include "main_window/form1.h"
#include "main_window/form1_layout.h"
#include "main_window/win32/accessibility.h"
#include "main_window/win32/resource_ids.h"
#include "platform/scoped_value.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/wine_held_faces.h"
#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik::gui {

namespace {

constexpr UINT kFirstMenuItemId = 2000;
// A fixed layout that no code moves: a larger window would only show empty space.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kExtendedStyle = 0;

struct ClickHandler {
    std::string_view control;
    void (*handler)(Form1& form, Form1::PressedWith with);
};

constexpr std::array<ClickHandler, 5> kClickHandlers{{
    {"Command1", [](Form1& form, Form1::PressedWith with) { form.Command1_Click(with); }},
    {"Command2", [](Form1& form, Form1::PressedWith) { form.Command2_Click(); }},
    {"Command3", [](Form1& form, Form1::PressedWith) { form.Command3_Click(); }},
    // a box's click runs no handler: the core only decides the box's next state
    {"Check1", [](Form1& form, Form1::PressedWith) { form.clickCheck1(); }},
    {"Check2", [](Form1& form, Form1::PressedWith) { form.clickCheck2(); }},
}};

Failure windowFailure(DWORD error) {
    return Failure{win32::codeOfError(error),
                   failure_text::filled(texts::kWindowNotCreated, {win32::reasonOfError(error)})};
}

WPARAM checkStateOf(std::int16_t value) {
    switch (value) {
        case CheckBox::kTicked:
            return BST_CHECKED;
        case CheckBox::kGreyed:
            return BST_INDETERMINATE;
        default:
            return BST_UNCHECKED;
    }
}

HICON loadIcon(HINSTANCE instance, int sizeMetric) {
    const int size = GetSystemMetrics(sizeMetric);
    return static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(ZORVIK_ICON_ID), IMAGE_ICON, size, size, LR_SHARED));
}

void setText(HWND control, std::string& shown, const std::string& text) {
    if (shown != text) {
        SetWindowTextW(control, win32::toWideLossy(text).c_str());
        shown = text;
    }
}

}  // namespace

Form1Window::~Form1Window() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
    if (menu_ != nullptr) {
        DestroyMenu(menu_);
    }
}

Status Form1Window::create() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = loadIcon(instance, SM_CXICON);
    windowClass.hIconSm = loadIcon(instance, SM_CXSMICON);
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExW(&windowClass) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return windowFailure(GetLastError());
    }
    const std::wstring caption = win32::toWideLossy(layout::kFormCaption);
    window_ = CreateWindowExW(kExtendedStyle, kClassName, caption.c_str(), kStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                              instance, this);
    if (window_ == nullptr) {
        return windowFailure(GetLastError());
    }
    dpi_ = GetDpiForWindow(window_);
    if (dpi_ == 0) {
        dpi_ = kDesignDpi;
    }
    sizeForClientAt(dpi_, nullptr);
    // the text boxes, and every edit box a dialog shows later
    win32::holdEditBoxesInSafeFace();
    if (Status created = controls_.create(window_, dpi_); !created.ok()) {
        DestroyWindow(window_);
        return created;
    }
    list_.attach(controls_.window("File1"));
    labelForScreenReaders(controls_);

    // the hidden menu v: never in a menu bar, only the popup of Command1
    menu_ = CreatePopupMenu();
    for (std::size_t i = 0; i < layout::kMenuItems.size() && menu_ != nullptr; ++i) {
        AppendMenuW(menu_, MF_STRING, kFirstMenuItemId + i,
                    win32::toWideLossy(layout::kMenuItems[i].caption).c_str());
    }
    return Status::success();
}

void Form1Window::attach(Form1& form) {
    form_ = &form;
    form.setChangeListener([this] { showForm(); });
    form.setCloseListener([this] { destroy(); });
}

void Form1Window::show(int showCommand) {
    // focused while still hidden: once on the screen, every change of focus is a round trip to
    // the display server
    SetFocus(control("File1"));
    ShowWindow(window_, showCommand);
    // the list shows where the keyboard is from the start, not only once a key was pressed
    SendMessageW(window_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    UpdateWindow(window_);
}

void Form1Window::sizeForClientAt(UINT dpi, const RECT* suggested) {
    const SIZE client{pixelsAt(layout::kClientWidth, dpi), pixelsAt(layout::kClientHeight, dpi)};
    RECT frame{0, 0, client.cx, client.cy};
    AdjustWindowRectExForDpi(&frame, kStyle, FALSE, kExtendedStyle, dpi);
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (suggested == nullptr) {
        flags |= SWP_NOMOVE;
    }
    SIZE outer{frame.right - frame.left, frame.bottom - frame.top};
    SetWindowPos(window_, nullptr, suggested != nullptr ? suggested->left : 0,
                 suggested != nullptr ? suggested->top : 0, outer.cx, outer.cy, flags);
    // The frame may differ from the one computed (Wine keeps the system's frame when the DPI
    // changes): the client area is what must have the designed size, so measure and correct.
    RECT actual;
    GetClientRect(window_, &actual);
    if (actual.right != client.cx || actual.bottom != client.cy) {
        outer.cx += client.cx - actual.right;
        outer.cy += client.cy - actual.bottom;
        SetWindowPos(window_, nullptr, 0, 0, outer.cx, outer.cy,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

LRESULT CALLBACK Form1Window::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<Form1Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Form1Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->onMessage(message, wParam, lParam);
}

LRESULT Form1Window::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (lParam != 0) {  // a control's, never a dialog key's IDOK or IDCANCEL
                onCommand(LOWORD(wParam), HIWORD(wParam));
            }
            return 0;
        case WM_NOTIFY: {
            const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
            const DesignedControl* from = controls_.byWindow(header.hwndFrom);
            if (from != nullptr && header.code == NM_CUSTOMDRAW) {
                if (const auto result = customDrawCommandButton(
                        *from, reinterpret_cast<const NMCUSTOMDRAW&>(header))) {
                    return *result;
                }
            }
            if (header.hwndFrom == list_.window()) {
                if (const auto result = list_.onNotify(header)) {
                    return *result;
                }
            }
            break;
        }
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            return onControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam),
                                   message, wParam, lParam);
        case WM_SHOWWINDOW:
            if (wParam != FALSE && form_ != nullptr) {
                form_->showing();
            }
            break;
        case WM_ACTIVATE:
            onActivate(wParam);
            return 0;
        case WM_SIZE:
            if (wParam == SIZE_MINIMIZED) {
                minimised_ = true;
            } else if (minimised_) {
                minimised_ = false;
                requestRepaint();
            }
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window_, &paint);
            EndPaint(window_, &paint);
            if (form_ != nullptr && form_->exposureRepaints()) {
                form_->markRepaintDue();
            } else if (form_ != nullptr) {
                form_->showingExposed();  // Windows gathers all that was uncovered in one paint
            }
            runDueRepaint();
            return 0;
        }
        case kRepaintMessage:
            repaintPosted_ = false;
            // a WM_PAINT on its way runs it, so that the burst of a showing counts once
            if (GetUpdateRect(window_, nullptr, FALSE) == FALSE || IsIconic(window_) != FALSE) {
                runDueRepaint();
            }
            return 0;
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE:
            followSystemColours(controls_, message);
            break;
        case WM_DPICHANGED:
            onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_CLOSE:
            // whoever sends it (the user, another program, taskkill): the core decides when
            if (form_ != nullptr) {
                form_->requestClose();
            } else {
                destroy();
            }
            return 0;
        case WM_DESTROY:
            // destroyed without the close (by its owner going, say): the program ends as at one
            if (form_ != nullptr && !form_->closed()) {
                form_->windowDestroyed();
                PostQuitMessage(0);
            }
            break;
        case WM_QUERYENDSESSION:
            return TRUE;  // closing is never refused
        case WM_ENDSESSION:
            if (wParam != FALSE && form_ != nullptr) {
                form_->endSession();
            }
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void Form1Window::onCommand(int id, int notification) {
    const DesignedControl* control = controls_.byId(id);
    if (control == nullptr || form_ == nullptr || notification != BN_CLICKED) {
        return;
    }
    for (const auto& click : kClickHandlers) {
        if (click.control == control->design->name) {
            click.handler(*form_, pressedWith());
        }
    }
}

LRESULT Form1Window::onControlColour(HDC dc, HWND control, UINT message, WPARAM wParam,
                                     LPARAM lParam) {
    const DesignedControl* designed = controls_.byWindow(control);
    if (designed != nullptr) {
        for (const auto& style : layout::kTextBoxStyles) {
            if (style.name == designed->design->name) {
                SetTextColor(dc, textBoxTextColour(style, systemHighContrast()));
                SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
        }
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void Form1Window::onActivate(WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        // the control that had the focus gets it back, as in a dialog
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus) != FALSE) {
            focusToRestore_ = focus;
        }
        return;
    }
    if (HIWORD(wParam) != 0) {
        return;  // activated while minimised: restoring it repaints
    }
    const bool restorable =
        focusToRestore_ != nullptr && IsChild(window_, focusToRestore_) != FALSE;
    SetFocus(restorable ? focusToRestore_ : control("File1"));
    if (form_ != nullptr && form_->activationRepaints()) {
        requestRepaint();
    }
}

void Form1Window::onDpiChanged(UINT dpi, const RECT& suggested) {
    dpi_ = dpi;
    sizeForClientAt(dpi, &suggested);
    controls_.placeAt(dpi);
    list_.fitColumn();
}

void Form1Window::destroy() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
    PostQuitMessage(0);
}

void Form1Window::showForm() {
    if (form_ == nullptr || window_ == nullptr) {
        return;
    }
    const FormPicture picture = form_->picture();
    const auto showCheck = [this](const char* name, std::int16_t value) {
        const WPARAM state = checkStateOf(value);
        if (static_cast<WPARAM>(SendMessageW(control(name), BM_GETCHECK, 0, 0)) != state) {
            SendMessageW(control(name), BM_SETCHECK, state, 0);
        }
    };
    showCheck("Check1", picture.check1);
    showCheck("Check2", picture.check2);
    setText(control("Text1"), shownText1_, std::string(picture.text1));
    setText(control("Text2"), shownText2_, std::string(picture.text2));
    setText(control("Command3"), shownCommand3_, std::string(picture.command3Caption));
    list_.show(picture);
    nameForView(controls_, picture.view);
}

std::string Form1Window::popup(std::string_view menuName, PopupPlace place) {
    if (menuName != layout::kMenuName || menu_ == nullptr || window_ == nullptr) {
        return {};
    }
    POINT at{};
    GetCursorPos(&at);
    if (const HWND below = control(place.belowControl); below != nullptr) {
        RECT button{};
        GetWindowRect(below, &button);
        at = {button.left, button.bottom};
    }
    const ScopedValue open(menuOpen_, true);
    const auto chosen = static_cast<UINT>(TrackPopupMenuEx(
        menu_, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON, at.x,
        at.y, window_, nullptr));
    if (chosen < kFirstMenuItemId || chosen - kFirstMenuItemId >= layout::kMenuItems.size()) {
        return {};  // dismissed
    }
    return std::string(layout::kMenuItems[chosen - kFirstMenuItemId].name);
}

void Form1Window::dismiss() {
    if (menuOpen_) {
        EndMenu();
    }
}

}  // namespace zorvik::gui
