#include "platform/posix/reg_syntax.h"

#include <algorithm>
#include <cstdio>

#include "platform/windows_text.h"

namespace zorvik::posix::reg_syntax {

namespace {

char asciiUpper(char ch) {
    return (ch >= 'a' && ch <= 'z') ? static_cast<char>(ch - ('a' - 'A')) : ch;
}

bool isAscii(char ch) {
    return static_cast<unsigned char>(ch) < 0x80;
}

}  // namespace

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    // the prefixes are ASCII, and no other character upper-cases to ASCII
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (asciiUpper(text[i]) != asciiUpper(prefix[i])) {
            return false;
        }
    }
    return true;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    // ASCII a byte at a time; from the first other character on, by the shared rules
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && isAscii(a[i]) && isAscii(b[i])) {
        if (asciiUpper(a[i]) != asciiUpper(b[i])) {
            return false;
        }
        ++i;
    }
    if (i == a.size() || i == b.size()) {
        return a.size() == b.size();
    }
    return text::equalsIgnoringCase(a.substr(i), b.substr(i));
}

namespace {

int hexDigit(char ch) {
    if (ch >= '0' && ch <= '9') {
        return ch - '0';
    }
    if (ch >= 'a' && ch <= 'f') {
        return ch - 'a' + 10;
    }
    if (ch >= 'A' && ch <= 'F') {
        return ch - 'A' + 10;
    }
    return -1;
}

}  // namespace

std::size_t quotedLength(std::string_view text, bool& escaped) {
    escaped = false;
    if (text.empty() || text.front() != '"') {
        return std::string_view::npos;
    }
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char ch = text[i];
        if (ch == '"') {
            return i + 1;
        }
        if (ch == '\\') {
            if (i + 1 >= text.size() || (text[i + 1] != '\\' && text[i + 1] != '"')) {
                return std::string_view::npos;
            }
            escaped = true;
            ++i;
        }
    }
    return std::string_view::npos;  // no closing quote
}

std::optional<std::string> takeQuoted(std::string_view& text) {
    bool escaped = false;
    const std::size_t length = quotedLength(text, escaped);
    if (length == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view inside = text.substr(1, length - 2);
    text.remove_prefix(length);
    if (!escaped) {
        return std::string(inside);
    }
    std::string out;
    out.reserve(inside.size());
    for (std::size_t i = 0; i < inside.size(); ++i) {
        if (inside[i] == '\\') {
            ++i;  // the escape's second character is the one meant
        }
        out.push_back(inside[i]);
    }
    return out;
}

std::string quote(std::string_view text) {
    std::string out = "\"";
    for (char ch : text) {
        if (ch == '\\' || ch == '"') {
            out.push_back('\\');
        }
        out.push_back(ch);
    }
    out.push_back('"');
    return out;
}

namespace {

// Walks a comma-separated list of two-digit hex bytes, handing each byte to `take`; false when
// the list is malformed (an item that is not two digits, a trailing comma).
template <typename Take>
bool walkHexList(std::string_view list, Take&& take) {
    const auto isBlank = [](char ch) { return ch == ' ' || ch == '\t'; };
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < list.size() && isBlank(list[i])) {
            ++i;
        }
    };
    skipBlanks();
    if (i == list.size()) {
        return true;  // no bytes at all
    }
    for (;;) {
        skipBlanks();
        if (i + 1 >= list.size() || hexDigit(list[i]) < 0 || hexDigit(list[i + 1]) < 0) {
            return false;  // every item is two digits; a comma needs one after it
        }
        take(static_cast<char>(hexDigit(list[i]) * 16 + hexDigit(list[i + 1])));
        i += 2;
        skipBlanks();
        if (i == list.size()) {
            return true;
        }
        if (list[i] != ',') {
            return false;
        }
        ++i;
    }
}

std::optional<std::string> hexBytes(std::string_view list) {
    std::string bytes;
    bytes.reserve(list.size() / 3 + 1);
    if (!walkHexList(list, [&bytes](char byte) { bytes.push_back(byte); })) {
        return std::nullopt;
    }
    return bytes;
}

std::string formatHex(std::string_view prefix, std::string_view bytes) {
    constexpr char kDigits[] = "0123456789abcdef";
    std::string out(prefix);
    out.reserve(prefix.size() + bytes.size() * 3 + bytes.size() / 25 * 4);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out += kDigits[byte >> 4];
        out += kDigits[byte & 0xF];
        if (i + 1 < bytes.size()) {
            out += ',';
            if ((i + 1) % 25 == 0) {
                out += "\\\n  ";
            }
        }
    }
    return out;
}

// A string as REG_SZ or REG_EXPAND_SZ held in hex: UTF-16LE up to its terminating zero.
std::optional<std::string> stringFromHex(std::string_view units) {
    if (units.size() % 2 != 0) {
        return std::nullopt;
    }
    while (units.size() >= 2 && units[units.size() - 1] == 0 && units[units.size() - 2] == 0) {
        units.remove_suffix(2);
    }
    return text::utf16LeToUtf8(units);
}

bool isStringTag(std::string_view tag) {
    return equalsIgnoringCase(tag, "hex(1)") || equalsIgnoringCase(tag, "hex(2)");
}

// "hex" or "hex(n)": a type this program keeps without reading its bytes.
bool isOpaqueTag(std::string_view tag) {
    return tag == "hex" ||
           (tag.size() > 5 && startsWithIgnoringCase(tag, "hex(") && tag.back() == ')');
}

std::optional<std::uint32_t> parseDword(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) {
        return std::nullopt;
    }
    std::uint32_t number = 0;
    for (char ch : digits) {
        const int digit = hexDigit(ch);
        if (digit < 0) {
            return std::nullopt;
        }
        number = number * 16 + static_cast<std::uint32_t>(digit);
    }
    return number;
}

}  // namespace

std::optional<RegistryValue> parseData(std::string_view data, bool& deletion) {
    deletion = false;
    data = trimmed(data);
    if (data == "-") {
        deletion = true;
        return RegistryValue{};
    }
    if (!data.empty() && data.front() == '"') {
        auto textValue = takeQuoted(data);
        if (!textValue || !trimmed(data).empty()) {
            return std::nullopt;
        }
        return RegistryValue::string(std::move(*textValue));
    }
    if (startsWithIgnoringCase(data, "dword:")) {
        const auto number = parseDword(data.substr(6));
        if (!number) {
            return std::nullopt;
        }
        return RegistryValue::dword(*number);
    }
    if (startsWithIgnoringCase(data, "hex")) {
        const std::size_t colon = data.find(':');
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view tag = data.substr(0, colon);
        if (isStringTag(tag)) {
            const auto bytes = hexBytes(data.substr(colon + 1));
            auto decoded = bytes ? stringFromHex(*bytes) : std::nullopt;
            if (!decoded) {
                return std::nullopt;
            }
            RegistryValue value = RegistryValue::string(std::move(*decoded));
            if (equalsIgnoringCase(tag, "hex(2)")) {
                value.type = RegistryValue::Type::ExpandString;
            }
            return value;
        }
        auto bytes = isOpaqueTag(tag) ? hexBytes(data.substr(colon + 1)) : std::nullopt;
        if (!bytes) {
            return std::nullopt;
        }
        // the tag as this program writes it, where it names a type: "HEX(07)" is "hex(7)"
        const auto type = typeOfTag(text::foldCase(tag));
        return RegistryValue{RegistryValue::Type::Other, type ? tagOfType(*type) : std::string(tag),
                             0, std::move(*bytes)};
    }
    return std::nullopt;
}

bool isValidData(std::string_view data) {
    data = trimmed(data);
    if (data == "-") {
        return true;
    }
    if (!data.empty() && data.front() == '"') {
        bool escaped = false;
        const std::size_t length = quotedLength(data, escaped);
        return length != std::string_view::npos && trimmed(data.substr(length)).empty();
    }
    if (startsWithIgnoringCase(data, "dword:")) {
        return parseDword(data.substr(6)).has_value();
    }
    if (startsWithIgnoringCase(data, "hex")) {
        const std::size_t colon = data.find(':');
        if (colon == std::string_view::npos) {
            return false;
        }
        const std::string_view tag = data.substr(0, colon);
        if (isStringTag(tag)) {
            bool deletion = false;
            return parseData(data, deletion).has_value();  // the text must decode
        }
        return isOpaqueTag(tag) && walkHexList(data.substr(colon + 1), [](char) {});
    }
    return false;
}

std::string formatValueLine(std::string_view valueName, const RegistryValue& value) {
    std::string line = valueName.empty() ? std::string("@") : quote(valueName);
    line += '=';
    switch (value.type) {
        case RegistryValue::Type::Dword: {
            char digits[16];
            std::snprintf(digits, sizeof digits, "dword:%08x", value.number);
            line += digits;
            break;
        }
        case RegistryValue::Type::String: {
            const bool plain = std::none_of(value.text.begin(), value.text.end(), [](char ch) {
                return static_cast<unsigned char>(ch) < 0x20;
            });
            if (plain) {
                line += quote(value.text);
                break;
            }
            [[fallthrough]];
        }
        case RegistryValue::Type::ExpandString: {
            std::string units = text::utf8ToUtf16Le(value.text).value_or(std::string());
            units.append(2, '\0');
            line +=
                formatHex(value.type == RegistryValue::Type::String ? "hex(1):" : "hex(2):", units);
            break;
        }
        case RegistryValue::Type::Other:
            // only ever a value read before, put back (Registry::apply checked its tag)
            line += formatHex(value.text + ":", value.bytes);
            break;
    }
    return line;
}

}  // namespace zorvik::posix::reg_syntax
