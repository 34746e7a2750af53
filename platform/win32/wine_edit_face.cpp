#include "platform/win32/wine_edit_face.h"

#include <array>

namespace zorvik::win32 {

namespace {

bool installed(const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    const HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(
        screen, &wanted,
        [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM seen) -> int {
            *reinterpret_cast<bool*>(seen) = true;
            return 0;
        },
        reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

}  // namespace

const std::wstring& wineSafeEditFace() {
    static const std::wstring face = []() -> std::wstring {
        if (!runningUnderWine()) {
            return {};
        }
        // each shapes every Bulgarian letter safely under Wine 8; DejaVu Sans comes first as the
        // one nearest the design's sans-serif look, and the one most Linux systems carry
        constexpr std::array kSafeFaces{L"DejaVu Sans", L"Nimbus Sans", L"Liberation Serif"};
        for (const wchar_t* candidate : kSafeFaces) {
            if (installed(candidate)) {
                return candidate;
            }
        }
        return {};
    }();
    return face;
}

HFONT inWineSafeEditFace(HFONT font) {
    const std::wstring& face = wineSafeEditFace();
    LOGFONTW design{};
    if (face.empty() || font == nullptr || GetObjectW(font, sizeof design, &design) == 0) {
        return nullptr;
    }
    lstrcpynW(design.lfFaceName, face.c_str(), LF_FACESIZE);
    return CreateFontIndirectW(&design);
}

}  // namespace zorvik::win32
