#include "main_window/win32/accessibility.h"

#include <string>

#include "main_window/accessible_texts.h"
#include "platform/win32/wide_text.h"

namespace zorvik::gui {

namespace {

// clear of the controls' own ids, which start at 1000
constexpr int kLabelIdOffset = 500;

bool isNamedByLabel(const layout::Control& design) {
    return design.kind == layout::Kind::TextBox || design.kind == layout::Kind::FileListBox;
}

HWND labelOf(const DesignedControl& control) {
    return GetDlgItem(GetParent(control.window), control.id + kLabelIdOffset);
}

void setTextIfChanged(HWND window, const std::wstring& text) {
    if (window == nullptr) {
        return;
    }
    const int length = GetWindowTextLengthW(window);
    std::wstring shown(static_cast<std::size_t>(length) + 1, L'\0');
    shown.resize(static_cast<std::size_t>(GetWindowTextW(window, shown.data(), length + 1)));
    if (shown != text) {
        SetWindowTextW(window, text.c_str());
    }
}

}  // namespace

void labelForScreenReaders(const DesignedControls& controls) {
    for (const auto& design : layout::kControls) {
        const DesignedControl* control = controls.byWindow(controls.window(design.name));
        if (!isNamedByLabel(design) || control == nullptr) {
            continue;
        }
        // never shown: it only names the control after it; its text comes with the view
        const HWND label = CreateWindowExW(
            0, L"STATIC", L"", WS_CHILD | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0,
            GetParent(control->window),
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control->id + kLabelIdOffset)),
            GetModuleHandleW(nullptr), nullptr);
        if (label == nullptr) {
            continue;  // the control keeps working, only unnamed
        }
        const HWND above = GetWindow(control->window, GW_HWNDPREV);
        SetWindowPos(label, above != nullptr ? above : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
    }
    nameForView(controls, MelodyView::Rings);
}

void nameForView(const DesignedControls& controls, MelodyView view) {
    for (const auto& design : layout::kControls) {
        const DesignedControl* control = controls.byWindow(controls.window(design.name));
        if (!isNamedByLabel(design) || control == nullptr) {
            continue;
        }
        const std::wstring name = win32::toWideLossy(accessible::textOf(design.name, view).name);
        setTextIfChanged(labelOf(*control), name);
        if (design.kind == layout::Kind::FileListBox) {
            setTextIfChanged(control->window, name);
        }
    }
}

bool systemHighContrast() {
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) != FALSE &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

COLORREF textBoxTextColour(const layout::TextBoxStyle& style, bool highContrast) {
    const auto designed = layout::textColourOf(style, highContrast);
    if (!designed) {
        return GetSysColor(COLOR_BTNTEXT);
    }
    return RGB(designed->red, designed->green, designed->blue);
}

void followSystemColours(const DesignedControls& controls, UINT message) {
    for (const auto& design : layout::kControls) {
        const HWND control = controls.window(design.name);
        if (design.kind == layout::Kind::FileListBox && message == WM_SYSCOLORCHANGE) {
            SendMessageW(control, WM_SYSCOLORCHANGE, 0, 0);
        }
        if (design.kind == layout::Kind::FileListBox || design.kind == layout::Kind::TextBox) {
            RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
        }
    }
}

}  // namespace zorvik::gui
