#include "platform/win32/wine_edit_face.h"

#include <array>
#include <cstring>
#include <map>

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

HFONT fontInFace(HFONT font, const std::wstring& face) {
    LOGFONTW wanted{};
    if (font == nullptr || face.empty() || GetObjectW(font, sizeof wanted, &wanted) == 0 ||
        face == wanted.lfFaceName) {
        return nullptr;
    }
    std::memset(wanted.lfFaceName, 0, sizeof wanted.lfFaceName);
    lstrcpynW(wanted.lfFaceName, face.c_str(), LF_FACESIZE);
    // by what the font is, not by its handle, which Windows hands out again once it is deleted
    static std::map<std::wstring, HFONT> made;
    const std::wstring key(reinterpret_cast<const wchar_t*>(&wanted),
                           sizeof wanted / sizeof(wchar_t));
    auto& kept = made[key];
    if (kept == nullptr) {
        kept = CreateFontIndirectW(&wanted);
    }
    return kept;
}

}  // namespace zorvik::win32
