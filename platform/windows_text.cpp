#include "platform/windows_text.h"

#include <algorithm>

#include "platform/install_folder.h"

namespace zorvik::text {

std::optional<char32_t> nextCodePoint(std::string_view bytes, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(bytes[pos]);
    int length = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        cp = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (pos + static_cast<std::size_t>(length) > bytes.size()) {
        return std::nullopt;
    }
    for (int i = 1; i < length; ++i) {
        const auto cont = static_cast<unsigned char>(bytes[pos + static_cast<std::size_t>(i)]);
        if ((cont & 0xC0) != 0x80) {
            return std::nullopt;
        }
        cp = (cp << 6) | (cont & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return std::nullopt;
    }
    pos += static_cast<std::size_t>(length);
    return cp;
}

namespace {

// In these ranges capitals and small letters alternate, the capital on the even (or odd) code.
struct AlternatingRange {
    char32_t first;
    char32_t last;
    bool capitalIsEven;
};
constexpr AlternatingRange kAlternating[] = {
    {0x0100, 0x012F, true}, {0x0132, 0x0137, true},  {0x0139, 0x0148, false},
    {0x014A, 0x0177, true}, {0x0179, 0x017E, false}, {0x0460, 0x0481, true},
    {0x048A, 0x04BF, true}, {0x04C1, 0x04CE, false}, {0x04D0, 0x052F, true},
};

}  // namespace

std::optional<std::u32string> decodeUtf8(std::string_view bytes) {
    std::u32string out;
    out.reserve(bytes.size());
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const auto cp = nextCodePoint(bytes, pos);
        if (!cp) {
            return std::nullopt;
        }
        out.push_back(*cp);
    }
    return out;
}

bool isValidUtf8(std::string_view bytes) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        // runs of ASCII, the common case, go at a byte a step
        if (static_cast<unsigned char>(bytes[pos]) < 0x80) {
            ++pos;
        } else if (!nextCodePoint(bytes, pos)) {
            return false;
        }
    }
    return true;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::optional<std::string> utf16LeToUtf8(std::string_view bytes) {
    if (bytes.size() % 2 != 0) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(bytes.size());
    const auto unitAt = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[i]) |
                                     (static_cast<unsigned char>(bytes[i + 1]) << 8));
    };
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        char32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 3 >= bytes.size()) {
                return std::nullopt;
            }
            const char32_t low = unitAt(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) {
                return std::nullopt;
            }
            unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return std::nullopt;
        }
        appendUtf8(out, unit);
    }
    return out;
}

std::optional<std::string> utf8ToUtf16Le(std::string_view utf8) {
    const auto codePoints = decodeUtf8(utf8);
    if (!codePoints) {
        return std::nullopt;
    }
    std::string out;
    out.reserve(codePoints->size() * 2);
    const auto appendUnit = [&](char32_t unit) {
        out.push_back(static_cast<char>(unit & 0xFF));
        out.push_back(static_cast<char>((unit >> 8) & 0xFF));
    };
    for (char32_t cp : *codePoints) {
        if (cp >= 0x10000) {
            appendUnit(0xD800 + ((cp - 0x10000) >> 10));
            appendUnit(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            appendUnit(cp);
        }
    }
    return out;
}

char32_t toUpper(char32_t c) {
    if (c < 0x80) {
        return (c >= 'a' && c <= 'z') ? c - 0x20 : c;
    }
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F)) {
        return c - 0x20;
    }
    if (c >= 0x450 && c <= 0x45F) {
        return c - 0x50;
    }
    switch (c) {
        case 0xFF:
            return 0x178;
        case 0x3C2:
            return 0x3A3;  // final sigma
        case 0x3AC:
            return 0x386;
        case 0x3AD:
            return 0x388;
        case 0x3AE:
            return 0x389;
        case 0x3AF:
            return 0x38A;
        case 0x3CC:
            return 0x38C;
        case 0x3CD:
            return 0x38E;
        case 0x3CE:
            return 0x38F;
        case 0x4CF:
            return 0x4C0;
        default:
            break;
    }
    for (const auto& range : kAlternating) {
        if (c >= range.first && c <= range.last) {
            const bool even = (c % 2) == 0;
            return even == range.capitalIsEven ? c : c - 1;
        }
    }
    return c;
}

std::string foldCase(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const auto lead = static_cast<unsigned char>(utf8[pos]);
        if (lead < 0x80) {
            out.push_back(static_cast<char>(toUpper(lead)));
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        const auto cp = nextCodePoint(utf8, pos);
        if (!cp) {
            out.push_back(utf8[start]);
            pos = start + 1;
            continue;
        }
        appendUtf8(out, toUpper(*cp));
    }
    return out;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a == b) {
        return true;
    }
    // character by character, without building folded copies: the store compares every key
    // and value name it reads this way
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const std::size_t startA = i;
        const std::size_t startB = j;
        const auto ca = nextCodePoint(a, i);
        const auto cb = nextCodePoint(b, j);
        if (!ca || !cb) {
            // invalid bytes compare as themselves, as foldCase passes them through
            if (ca || cb || a[startA] != b[startB]) {
                return false;
            }
            i = startA + 1;
            j = startB + 1;
            continue;
        }
        if (toUpper(*ca) != toUpper(*cb)) {
            return false;
        }
    }
    return i == a.size() && j == b.size();
}

bool lessIgnoringCase(std::string_view a, std::string_view b) {
    const std::string fa = foldCase(a);
    const std::string fb = foldCase(b);
    return fa != fb ? fa < fb : a < b;
}

std::optional<std::size_t> findFileName(const std::vector<std::string>& names,
                                        std::string_view name) {
    auto found = std::find(names.begin(), names.end(), name);
    if (found == names.end()) {
        found = std::find_if(names.begin(), names.end(), [&](const std::string& held) {
            return equalsIgnoringCase(held, name);
        });
    }
    if (found == names.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(found - names.begin());
}

bool isReservedDeviceName(std::string_view name) {
    // The part before the first dot, with the spaces Windows ignores there, names the device:
    // "nul.wav" and "COM1 .txt" are the devices, not files.
    std::string_view base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') {
        base.remove_suffix(1);
    }
    for (std::string_view device : {"CON", "PRN", "AUX", "NUL"}) {
        if (equalsIgnoringCase(base, device)) {
            return true;
        }
    }
    if (base.size() < 4) {
        return false;
    }
    const std::string_view stem = base.substr(0, 3);
    if (!equalsIgnoringCase(stem, "COM") && !equalsIgnoringCase(stem, "LPT")) {
        return false;
    }
    const std::string_view digit = base.substr(3);
    // 1 to 9, and the superscripts ¹ ² ³ that Windows reserves alike
    return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\u00B9" ||
           digit == "\u00B2" || digit == "\u00B3";
}

namespace {

// What a file system holds of a name, in UTF-16 units.
constexpr std::size_t kLongestName = 255;

bool fitsAName(std::string_view utf8) {
    // no UTF-16 name is longer in units than its UTF-8 in bytes
    if (utf8.size() <= kLongestName) {
        return true;
    }
    std::size_t units = 0;
    for (const char ch : utf8) {
        const auto byte = static_cast<unsigned char>(ch);
        // a lead byte starts one unit, a four-byte sequence's two
        units += (byte & 0xC0) != 0x80 ? (byte >= 0xF0 ? 2 : 1) : 0;
    }
    return units <= kLongestName;
}

}  // namespace

bool isValidWindowsName(std::string_view name) {
    if (name.empty() || name == "." || name == ".." || !fitsAName(name)) {
        return false;
    }
    constexpr std::string_view kForbidden = "\\/:*?\"<>|";
    const bool hasForbidden = std::any_of(name.begin(), name.end(), [&](char ch) {
        return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F ||
               kForbidden.find(ch) != std::string_view::npos;
    });
    // Windows drops a trailing dot or space, so such a name would reach another file
    const bool endsBadly = name.back() == '.' || name.back() == ' ';
    // this runs for every file listed, so the UTF-8 check builds no decoded copy
    return !hasForbidden && !endsBadly && isValidUtf8(name) && !isReservedDeviceName(name);
}

bool matchesWavPattern(std::string_view name) {
    // "*.wav": any name that ends in the pattern's extension. The extension is ASCII, and no
    // byte of a longer UTF-8 sequence is, so bytes compare directly.
    constexpr std::string_view kExtension = std::string_view(install::kMelodyPattern).substr(1);
    if (name.size() < kExtension.size()) {
        return false;
    }
    const std::string_view tail = name.substr(name.size() - kExtension.size());
    for (std::size_t i = 0; i < kExtension.size(); ++i) {
        if (toUpper(static_cast<unsigned char>(kExtension[i])) !=
            toUpper(static_cast<unsigned char>(tail[i]))) {
            return false;
        }
    }
    return true;
}

}  // namespace zorvik::text
