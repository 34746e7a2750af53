#include "main_window/win32/design_controls.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/running_under_wine.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_errors.h"
#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik::gui {

namespace {

constexpr int kFirstControlId = 1000;  // clear of IDOK and IDCANCEL, which dialog keys send

struct NativeKind {
    const wchar_t* className;
    DWORD style;
    DWORD extendedStyle;
};

NativeKind nativeKindOf(layout::Kind kind) {
    // Every focusable control starts its own group, so that the arrow keys move inside a
    // control and never jump to a sibling by stacking order.
    constexpr DWORD kFocusable = WS_TABSTOP | WS_GROUP;
    switch (kind) {
        case layout::Kind::Frame:
            return {L"BUTTON", BS_GROUPBOX, WS_EX_CONTROLPARENT};
        case layout::Kind::CheckBox:
            // three states, and the click rule in code: Windows' own cycling greys a ticked box
            return {L"BUTTON", BS_3STATE | BS_MULTILINE | kFocusable, 0};
        case layout::Kind::CommandButton:
            return {L"BUTTON", BS_PUSHBUTTON | BS_MULTILINE | kFocusable, 0};
        case layout::Kind::TextBox:
            // nothing reads the boxes back: they show the name, and let it be selected and copied
            return {L"EDIT", ES_READONLY | ES_AUTOHSCROLL | ES_LEFT | kFocusable, 0};
        case layout::Kind::FileListBox:
            // a virtual list: a folder of 100,000 names is shown without 100,000 items, and it
            // keeps the keyboard's place apart from the selection
            return {WC_LISTVIEWW,
                    LVS_REPORT | LVS_NOCOLUMNHEADER | LVS_SINGLESEL | LVS_OWNERDATA |
                        LVS_SHOWSELALWAYS | kFocusable,
                    WS_EX_CLIENTEDGE};
        case layout::Kind::Multimedia:
            // the player has no face; its rectangle is kept as designed, never shown
            return {L"STATIC", 0, 0};
    }
    return {L"STATIC", 0, 0};
}

// The group box as Windows draws it, its caption whole: Wine's own makes room on the top edge
// for a caption narrower than the one it writes there, and cuts its last letter.
void paintFrameWhole(HWND frame) {
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(frame, &paint);
    RECT client;
    GetClientRect(frame, &client);
    const HGDIOBJ previousFont =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(frame, WM_GETFONT, 0, 0)));
    const int length = GetWindowTextLengthW(frame);
    std::wstring caption(static_cast<std::size_t>(length) + 1, L'\0');
    caption.resize(static_cast<std::size_t>(GetWindowTextW(frame, caption.data(), length + 1)));
    SIZE text{};
    GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
    RECT edge = client;
    edge.top += text.cy / 2 - 1;
    DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
    if (!caption.empty()) {
        const int inset = MulDiv(8, static_cast<int>(GetDpiForWindow(frame)), 96);
        RECT label{inset - 1, 0, std::min<LONG>(inset + text.cx + 1, client.right - 2), text.cy};
        FillRect(dc, &label, GetSysColorBrush(COLOR_BTNFACE));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(IsWindowEnabled(frame) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
        label.left = inset;
        DrawTextW(dc, caption.c_str(), -1, &label, DT_SINGLELINE | DT_NOPREFIX | DT_LEFT);
    }
    SelectObject(dc, previousFont);
    EndPaint(frame, &paint);
}

// A group box hands what its children send on to the window, paints its own background, and
// lets the clicks through to whatever lies beneath its inside.
LRESULT CALLBACK frameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            return SendMessageW(GetParent(frame), message, wParam, lParam);
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(frame, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
            return 1;
        }
        case WM_PAINT:
            if (win32::runningUnderWine()) {
                paintFrameWhole(frame);
                return 0;
            }
            break;
        default:
            break;
    }
    const auto buttonProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(frame, GWLP_USERDATA));
    return CallWindowProcW(buttonProc, frame, message, wParam, lParam);
}

void setFont(const DesignedControl& control, const DesignFonts& fonts, bool redraw) {
    const HFONT textBoxFont = fonts.textBoxFont(control.design->name);
    const HFONT font = textBoxFont != nullptr ? textBoxFont : fonts.controls.get();
    SendMessageW(control.window, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
}

}  // namespace

Status DesignedControls::create(HWND form, UINT dpi) {
    fonts_ = DesignFonts::at(dpi);
    for (std::size_t i = 0; i < controls_.size(); ++i) {
        controls_[i].design = &layout::kControls[i];
        controls_[i].id = kFirstControlId + static_cast<int>(i);
    }
    // In the design's order: a frame comes before its controls, so they have a parent to go
    // in, and each new child goes beneath its older siblings, which is the order the design
    // stacks them in.
    for (auto& control : controls_) {
        if (Status created = createControl(control, form, dpi); !created.ok()) {
            return created;
        }
    }

    std::vector<const DesignedControl*> focusable;
    for (const auto& control : controls_) {
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(control.window, GWL_STYLE));
        if ((style & WS_TABSTOP) != 0 && control.design->visible) {
            focusable.push_back(&control);
        }
    }
    std::sort(focusable.begin(), focusable.end(), [](const auto* a, const auto* b) {
        return a->design->tabIndex < b->design->tabIndex;
    });
    tabOrder_.clear();
    for (const auto* control : focusable) {
        tabOrder_.push_back(control->window);
    }
    return Status::success();
}

Status DesignedControls::createControl(DesignedControl& control, HWND form, UINT dpi) {
    const layout::Control& design = *control.design;
    const HWND parent = design.container.empty() ? form : window(design.container);
    const NativeKind native = nativeKindOf(design.kind);
    const RECT place = designRectAt(design, dpi);
    const DWORD style =
        WS_CHILD | WS_CLIPSIBLINGS | (design.visible ? WS_VISIBLE : 0u) | native.style;
    const std::wstring caption = design.kind == layout::Kind::FileListBox
                                     ? std::wstring()
                                     : win32::toWideLossy(design.caption);
    control.window =
        CreateWindowExW(native.extendedStyle, native.className, caption.c_str(), style, place.left,
                        place.top, place.right - place.left, place.bottom - place.top, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
                        GetModuleHandleW(nullptr), nullptr);
    if (control.window == nullptr) {
        const DWORD error = GetLastError();
        return Failure{win32::codeOfError(error),
                       failure_text::filled(texts::kControlNotCreated,
                                            {design.name, win32::reasonOfError(error)})};
    }
    if (design.kind == layout::Kind::Frame) {
        // in front of the button's own procedure, kept in the frame's user data: not through
        // SetWindowSubclass, which looks up a window property at every message, under Wine a
        // call to the server each time
        SetWindowLongPtrW(control.window, GWLP_USERDATA,
                          GetWindowLongPtrW(control.window, GWLP_WNDPROC));
        SetWindowLongPtrW(control.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(frameProc));
    }
    setFont(control, fonts_, false);
    if (design.kind == layout::Kind::TextBox) {
        SendMessageW(control.window, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, 0);
    }
    return Status::success();
}

void DesignedControls::placeAt(UINT dpi) {
    DesignFonts fonts = DesignFonts::at(dpi);
    for (const auto& control : controls_) {
        const RECT place = designRectAt(*control.design, dpi);
        SetWindowPos(control.window, nullptr, place.left, place.top, place.right - place.left,
                     place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
        setFont(control, fonts, true);
    }
    // the old faces only go once no control uses them
    fonts_ = std::move(fonts);
}

HWND DesignedControls::window(std::string_view name) const {
    for (const auto& control : controls_) {
        if (control.design != nullptr && control.design->name == name) {
            return control.window;
        }
    }
    return nullptr;
}

const DesignedControl* DesignedControls::byWindow(HWND window) const {
    for (const auto& control : controls_) {
        if (control.window == window && window != nullptr) {
            return &control;
        }
    }
    return nullptr;
}

const DesignedControl* DesignedControls::byId(int id) const {
    for (const auto& control : controls_) {
        if (control.id == id && control.window != nullptr) {
            return &control;
        }
    }
    return nullptr;
}

std::optional<LRESULT> customDrawCommandButton(const DesignedControl& button,
                                               const NMCUSTOMDRAW& draw) {
    if (button.design->kind != layout::Kind::CommandButton) {
        return std::nullopt;
    }
    if (draw.dwDrawStage == CDDS_PREPAINT) {
        // the face only; the caption follows after it
        return CDRF_DOERASE | CDRF_NOTIFYPOSTPAINT;
    }
    if (draw.dwDrawStage != CDDS_POSTPAINT) {
        return CDRF_DODEFAULT;
    }
    const int length = GetWindowTextLengthW(button.window);
    std::wstring caption(static_cast<std::size_t>(length) + 1, L'\0');
    caption.resize(
        static_cast<std::size_t>(GetWindowTextW(button.window, caption.data(), length + 1)));
    // inside the button's edges, shifted as the face is while it is pressed
    const int edge = GetSystemMetricsForDpi(SM_CXEDGE, GetDpiForWindow(button.window)) + 1;
    RECT area = draw.rc;
    InflateRect(&area, -edge, -edge);
    if ((draw.uItemState & CDIS_SELECTED) != 0) {
        OffsetRect(&area, 1, 1);
    }
    const HDC dc = draw.hdc;
    const HGDIOBJ previousFont =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(button.window, WM_GETFONT, 0, 0)));
    const int previousMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF previousColour = SetTextColor(
        dc, GetSysColor((draw.uItemState & CDIS_DISABLED) != 0 ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    constexpr UINT kFlags = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
    RECT text = area;
    DrawTextW(dc, caption.c_str(), -1, &text, kFlags | DT_CALCRECT);
    const LONG height = text.bottom - text.top;
    area.top += std::max<LONG>(0, (area.bottom - area.top - height) / 2);
    DrawTextW(dc, caption.c_str(), -1, &area, kFlags);
    SetTextColor(dc, previousColour);
    SetBkMode(dc, previousMode);
    SelectObject(dc, previousFont);
    return CDRF_DODEFAULT;
}

}  // namespace zorvik::gui
