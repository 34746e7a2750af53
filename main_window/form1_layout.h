#pragma once

#include <array>
#include <cmath>
#include <optional>
#include <string_view>

#include "platform/fixed_text.h"
#include "platform/install_folder.h"
#include "texts/texts.h"

// The window as designed, in twips (15 to a pixel at 96 dpi), free of any toolkit so that the
// drawing layer and the tests read the same table.
namespace zorvik::layout {

inline constexpr int kTwipsPerPixel = 15;
// Device-independent pixels, so the layout scales with the screen.
constexpr int toPixels(int twips) {
    return static_cast<int>(twips >= 0 ? (twips + kTwipsPerPixel / 2) / kTwipsPerPixel
                                       : -((-twips + kTwipsPerPixel / 2) / kTwipsPerPixel));
}

inline constexpr std::string_view kFormName = "Form1";
inline constexpr std::string_view kFormCaption = "Избор на мелодия за Zorvik BG";
inline constexpr int kClientWidth = 4725;
inline constexpr int kClientHeight = 5190;
inline constexpr std::string_view kInitialText = "ddr";

enum class Kind { Frame, CheckBox, CommandButton, TextBox, FileListBox, Multimedia };

struct Control {
    std::string_view name;
    Kind kind;
    std::string_view container;  // "" for the window's client area
    int left, top, width, height;
    int tabIndex;
    std::string_view caption;  // caption, initial text, or the list's pattern
    bool visible = true;
};

// Controls of one container stand topmost first; a frame's controls follow it.
inline constexpr std::array<Control, 13> kControls{{
    {"Check2", Kind::CheckBox, "", 150, 4680, 2775, 315, 12, "Преместване в папка \"Deleted\""},
    {"Command2", Kind::CommandButton, "", 3120, 2520, 1455, 735, 6, "Запис на избраната мелодия"},
    {"Command1", Kind::CommandButton, "", 3120, 3360, 1455, 735, 5, "Добавяне на нова мелодия"},
    {"Check1", Kind::CheckBox, "", 3080, 1200, 1575, 615, 2,
     "Избери само за прослушване на мелодиите"},
    {"Frame1", Kind::Frame, "", 3000, 840, 1695, 1215, 3, "Аудио настройки"},
    {"Frame4", Kind::Frame, "", 3000, 2160, 1695, 2895, 9, "Функции"},
    {"Command3", Kind::CommandButton, "Frame4", 120, 2040, 1455, 735, 11, texts::kDeleteCaption},
    {"Frame3", Kind::Frame, "", 50, 0, 4650, 735, 7, "Мелодията за звънене на Zorvik BG e:"},
    {"Text2", Kind::TextBox, "Frame3", 240, 240, 4215, 225, 10, kInitialText},
    {"Text1", Kind::TextBox, "Frame3", 165, 360, 4215, 240, 8, kInitialText},
    {"File1", Kind::FileListBox, "", 120, 1200, 2775, 3405, 0, install::kMelodyPattern},
    {"Frame2", Kind::Frame, "", 50, 840, 2925, 4215, 4, "Мелодии в папката на Zorvik BG"},
    // the player: never shown, its rectangle only kept as designed
    {"MMControl1", Kind::Multimedia, "", -600, 2040, 3540, 375, 1, "", false},
}};

// The controls' font: the toolkit default the design was laid out against. Where that face is
// missing, a face of the same metrics stands in, so that every caption fits as designed.
inline constexpr std::string_view kControlFontFamily = "MS Sans Serif";
inline constexpr double kControlFontPointSize = 8.25;

struct Rgb {
    int red, green, blue;
};

struct TextBoxStyle {
    std::string_view name;
    std::string_view fontFamily;
    double pointSize;
    int weight;
    bool italic;
    int charset;  // 204: Cyrillic
    Rgb textColour;
    // the background is the system's button-face colour
};

inline constexpr std::array<TextBoxStyle, 2> kTextBoxStyles{{
    {"Text2", "MS Sans Serif", 9.75, 700, false, 204, {192, 255, 255}},
    {"Text1", "MS Sans Serif", 9.75, 700, true, 204, {128, 128, 128}},
}};

// Under a high-contrast theme the designed colours may vanish against the user's (light cyan on
// white): the boxes then draw in the system's button text colour, on the button face as always.
// nullopt: the system's colour.
constexpr std::optional<Rgb> textColourOf(const TextBoxStyle& style, bool highContrast) {
    if (highContrast) {
        return std::nullopt;
    }
    return style.textColour;
}

struct MenuItem {
    std::string_view name;
    std::string_view caption;
};

// The only top-level menu: hidden, shown only as the popup of Command1.
inline constexpr std::string_view kMenuName = "v";
inline constexpr std::string_view kMenuCaption = "vv";
inline constexpr std::array<MenuItem, 2> kMenuItems{{
    {"nm", "Нова мелодия"},
    {"pd", "От папка \"Deleted\""},
}};

// The open-file dialog CommonDialog1.
inline constexpr std::string_view kDialogTitle = "Добавяне на мелодия за звънене на Zorvik.";
inline constexpr auto kDialogFilter = joinText("Wav|", install::kMelodyPattern);

constexpr const Control* findControl(std::string_view name) {
    for (const auto& control : kControls) {
        if (control.name == name) {
            return &control;
        }
    }
    return nullptr;
}

}  // namespace zorvik::layout
