#include "platform/win32/wine_edit_face.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <vector>

#include "platform/scoped_value.h"

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

// Every installed family, once, in the order the system lists them.
const std::vector<std::wstring>& installedFaces() {
    static const std::vector<std::wstring> faces = [] {
        std::vector<std::wstring> found;
        LOGFONTW every{};
        every.lfCharSet = DEFAULT_CHARSET;
        const HDC screen = GetDC(nullptr);
        EnumFontFamiliesExW(
            screen, &every,
            [](const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM list) -> int {
                auto& names = *reinterpret_cast<std::vector<std::wstring>*>(list);
                // '@': the same face set for vertical writing
                if (font->lfFaceName[0] != L'@' &&
                    (names.empty() || names.back() != font->lfFaceName)) {
                    names.emplace_back(font->lfFaceName);
                }
                return 1;
            },
            reinterpret_cast<LPARAM>(&found), 0);
        ReleaseDC(nullptr, screen);
        return found;
    }();
    return faces;
}

// How many UTF-16 units of `text` `face` has no glyph for.
std::size_t lacking(HDC dc, std::wstring_view text, const std::wstring& face) {
    LOGFONTW wanted{};
    wanted.lfHeight = -12;
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, face.c_str(), LF_FACESIZE);
    const HFONT font = CreateFontIndirectW(&wanted);
    const ScopeExit dropFont([font] { DeleteObject(font); });
    const HGDIOBJ before = SelectObject(dc, font);
    std::vector<WORD> glyphs(text.size());
    const DWORD got = GetGlyphIndicesW(dc, text.data(), static_cast<int>(text.size()),
                                       glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, before);
    if (got == GDI_ERROR) {
        return text.size();
    }
    return static_cast<std::size_t>(std::count(glyphs.begin(), glyphs.end(), WORD{0xFFFF}));
}

}  // namespace

const std::wstring& wineSafeEditFace() {
    static const std::wstring face = []() -> std::wstring {
        if (!runningUnderWine()) {
            return {};
        }
        // each shapes every Bulgarian letter safely under Wine 8; DejaVu Sans comes first as the
        // one nearest the design's sans-serif look, the one most Linux systems carry, and the
        // one with the most scripts (Arabic and Hebrew among them)
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

std::wstring wineFaceShowing(std::wstring_view text, const std::wstring& preferred) {
    if (!runningUnderWine() || text.empty()) {
        return preferred;
    }
    const HDC dc = CreateCompatibleDC(nullptr);
    const ScopeExit dropDc([dc] { DeleteDC(dc); });
    std::wstring best = preferred;
    std::size_t fewest = lacking(dc, text, preferred);
    // another face only for what the preferred one lacks: most names need none
    for (const auto& face : installedFaces()) {
        if (fewest == 0) {
            break;
        }
        if (const std::size_t missing = lacking(dc, text, face); missing < fewest) {
            best = face;
            fewest = missing;
        }
    }
    return best;
}

HFONT fontShowing(HFONT font, std::wstring_view text) {
    LOGFONTW design{};
    if (!runningUnderWine() || font == nullptr || GetObjectW(font, sizeof design, &design) == 0) {
        return font;
    }
    const HFONT inFace = fontInFace(font, wineFaceShowing(text, design.lfFaceName));
    return inFace != nullptr ? inFace : font;
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
