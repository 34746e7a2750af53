#pragma once

#include <windows.h>

#include <commctrl.h>

#include <array>
#include <optional>
#include <string_view>
#include <vector>

#include "main_window/form1_layout.h"
#include "main_window/win32/design_scale.h"
#include "platform/status.h"

namespace zorvik::gui {

// One control of the design table as a native child window.
struct DesignedControl {
    const layout::Control* design = nullptr;
    HWND window = nullptr;
    int id = 0;  // the control's id in WM_COMMAND and WM_NOTIFY
};

// The design table as native controls: frames are group boxes and a control that belongs to a
// frame is its child; siblings are stacked as the table lists them, topmost first.
class DesignedControls {
public:
    // Creates every control inside `form` (hidden ones too, never shown), placed and lettered
    // for `dpi`. Fails when Windows refuses a control.
    Status create(HWND form, UINT dpi);
    // Moves and re-letters every control for another DPI.
    void placeAt(UINT dpi);

    HWND window(std::string_view name) const;
    const DesignedControl* byWindow(HWND window) const;
    const DesignedControl* byId(int id) const;
    // The controls that take the focus, in tab-index order.
    const std::vector<HWND>& tabOrder() const { return tabOrder_; }

private:
    Status createControl(DesignedControl& control, HWND form, UINT dpi);

    std::array<DesignedControl, layout::kControls.size()> controls_{};
    std::vector<HWND> tabOrder_;
    DesignFonts fonts_;
};

// Draws a command button's caption wrapped within the button, as designed. (Wine wraps a
// multiline button's caption again inside the width of its own widest line, and cuts the last
// line off.) The button draws its face and focus; nullopt for any other control.
std::optional<LRESULT> customDrawCommandButton(const DesignedControl& button,
                                               const NMCUSTOMDRAW& draw);

}  // namespace zorvik::gui
