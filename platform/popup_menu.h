#pragma once

#include <string>
#include <string_view>

namespace zorvik {

// Where a popup menu opens.
struct PopupPlace {
    // "" opens it at the pointer; otherwise the design name of the window's control that it
    // opens below, left edges aligned, as a menu opened from the keyboard does.
    std::string_view belowControl;
};

// The window toolkit's popup-menu operation.
class PopupMenu {
public:
    virtual ~PopupMenu() = default;

    // Opens the named menu and waits; returns the name of the item chosen, or "" when the menu
    // was dismissed.
    virtual std::string popup(std::string_view menuName, PopupPlace place) = 0;

    // Closes the menu that is open, as if the user had dismissed it; nothing when none is.
    virtual void dismiss() = 0;
};

}  // namespace zorvik
