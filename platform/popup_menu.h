#pragma once

#include <string>
#include <string_view>

namespace zorvik {

// The window toolkit's popup-menu operation.
class PopupMenu {
public:
    virtual ~PopupMenu() = default;

    // Opens the named menu at the pointer and waits; returns the name of the item chosen, or ""
    // when the menu was dismissed.
    virtual std::string popup(std::string_view menuName) = 0;
};

}  // namespace zorvik
