#include "main_window/win32/design_scale.h"

#include "platform/win32/wide_text.h"

namespace zorvik::gui {

namespace {

FontHandle createFont(std::string_view family, double points, int weight, bool italic, BYTE charset,
                      UINT dpi) {
    LOGFONTW font{};
    font.lfHeight = fontHeightAt(points, dpi);
    font.lfWeight = weight;
    font.lfItalic = italic ? TRUE : FALSE;
    font.lfCharSet = charset;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    const std::wstring face = win32::toWideLossy(family);
    lstrcpynW(font.lfFaceName, face.c_str(), LF_FACESIZE);
    return FontHandle(CreateFontIndirectW(&font));
}

FontHandle textBoxFontAt(std::string_view name, UINT dpi) {
    for (const auto& style : layout::kTextBoxStyles) {
        if (style.name == name) {
            // under Wine the box takes it in a face that cannot end the program
            // (wine_held_faces.h)
            return createFont(style.fontFamily, style.pointSize, style.weight, style.italic,
                              static_cast<BYTE>(style.charset), dpi);
        }
    }
    return nullptr;
}

}  // namespace

DesignFonts DesignFonts::at(UINT dpi) {
    // Cyrillic for the controls' face too: where the design's face has no Cyrillic letters (MS
    // Sans Serif is a Western bitmap font on most systems), the font mapper then picks one that
    // has them instead of drawing question marks.
    return {createFont(layout::kControlFontFamily, layout::kControlFontPointSize, FW_NORMAL, false,
                       RUSSIAN_CHARSET, dpi),
            textBoxFontAt("Text1", dpi), textBoxFontAt("Text2", dpi)};
}

HFONT DesignFonts::textBoxFont(std::string_view name) const {
    if (name == "Text1") {
        return text1.get();
    }
    if (name == "Text2") {
        return text2.get();
    }
    return nullptr;
}

}  // namespace zorvik::gui
