#pragma once

#include <array>
#include <string_view>

#include "main_window/form1_layout.h"
#include "melody_library/melody_library.h"
#include "texts/texts.h"

// What a screen reader says of the window, beside the design table so that both windows read
// the same texts. A control whose caption is shown on it (a button, a box, a frame) is named by
// that caption, which the toolkits read themselves; the others are named here after what stands
// for them on screen. A description is given where the caption alone does not say what the
// control does.
namespace zorvik::accessible {

enum class InView { Both, Rings, Deleted };

struct Text {
    std::string_view control;  // a design name, or the menu's
    InView view;
    std::string_view name;         // "" where the control's own caption names it
    std::string_view description;  // "" where the caption says enough
};

inline constexpr std::array<Text, 13> kTexts{{
    {layout::kFormName, InView::Both, layout::kFormCaption, ""},
    // the list is drawn over its frame, whose caption says what it holds
    {"File1", InView::Rings, layout::findControl("Frame2")->caption, texts::kListDescription},
    {"File1", InView::Deleted, texts::kDeletedListName, texts::kListDescription},
    {"Text1", InView::Both, layout::findControl("Frame3")->caption, ""},
    {"Text2", InView::Both, layout::findControl("Frame3")->caption, ""},
    {"MMControl1", InView::Both, texts::kPlayerName, ""},
    {"Check1", InView::Both, "", texts::kPlayOnMarkDescription},
    {"Check2", InView::Both, "", texts::kMoveTickDescription},
    {"Command1", InView::Both, "", texts::kMenuButtonDescription},
    {"Command2", InView::Both, "", texts::kRingButtonDescription},
    {"Command3", InView::Rings, "", texts::kDeleteButtonDescription},
    {"Command3", InView::Deleted, "", texts::kRestoreButtonDescription},
    // the popup is named after the button that opens it: its own caption is never shown
    {layout::kMenuName, InView::Both, layout::findControl("Command1")->caption, ""},
}};

// What is said of `control` in `view`; empty texts for a control the table does not list.
constexpr Text textOf(std::string_view control, MelodyView view) {
    const InView shown = view == MelodyView::Deleted ? InView::Deleted : InView::Rings;
    for (const auto& text : kTexts) {
        if (text.control == control && (text.view == InView::Both || text.view == shown)) {
            return text;
        }
    }
    return {control, InView::Both, "", ""};
}

}  // namespace zorvik::accessible
