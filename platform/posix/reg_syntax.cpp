#include "platform/posix/reg_syntax.h"

#include <algorithm>
#include <cstdio>

#include "platform/windows_text.h"

namespace zorvik::posix::reg_syntax {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           text::equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
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

// Reads a quoted text at the start of `text` ("..." with \\ and \" as the only escapes) and
// moves `text` past it.
std::optional<std::string> takeQuoted(std::string_view& text) {
    if (text.empty() || text.front() != '"') {
        return std::nullopt;
    }
    std::string out;
    std::size_t i = 1;
    for (;;) {
        std::size_t special = i;
        while (special < text.size() && text[special] != '"' && text[special] != '\\') {
            ++special;
        }
        if (special == text.size()) {
            return std::nullopt;  // no closing quote
        }
        out.append(text.substr(i, special - i));
        if (text[special] == '"') {
            text.remove_prefix(special + 1);
            return out;
        }
        const std::size_t escaped = special + 1;
        if (escaped >= text.size() || (text[escaped] != '\\' && text[escaped] != '"')) {
            return std::nullopt;
        }
        out.push_back(text[escaped]);
        i = escaped + 1;
    }
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

std::optional<std::string> hexBytes(std::string_view list) {
    std::string bytes;
    list = trimmed(list);
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view item = trimmed(list.substr(0, comma));
        if (item.size() != 2 || hexDigit(item[0]) < 0 || hexDigit(item[1]) < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(hexDigit(item[0]) * 16 + hexDigit(item[1])));
        if (comma == std::string_view::npos) {
            break;
        }
        list.remove_prefix(comma + 1);
        if (trimmed(list).empty()) {
            return std::nullopt;  // a trailing comma with nothing after it
        }
    }
    return bytes;
}

std::string formatHex(std::string_view prefix, std::string_view bytes) {
    std::string out(prefix);
    char pair[4];
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(bytes[i]));
        out += pair;
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
std::optional<std::string> stringFromHex(const std::string& bytes) {
    std::string units = bytes;
    if (units.size() % 2 != 0) {
        return std::nullopt;
    }
    while (units.size() >= 2 && units[units.size() - 1] == 0 && units[units.size() - 2] == 0) {
        units.resize(units.size() - 2);
    }
    return text::utf16LeToUtf8(units);
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
        const std::string_view digits = data.substr(6);
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
        return RegistryValue::dword(number);
    }
    if (startsWithIgnoringCase(data, "hex")) {
        const std::size_t colon = data.find(':');
        if (colon == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view tag = data.substr(0, colon);
        const auto bytes = hexBytes(data.substr(colon + 1));
        if (!bytes) {
            return std::nullopt;
        }
        if (text::equalsIgnoringCase(tag, "hex(1)") || text::equalsIgnoringCase(tag, "hex(2)")) {
            auto decoded = stringFromHex(*bytes);
            if (!decoded) {
                return std::nullopt;
            }
            RegistryValue value = RegistryValue::string(std::move(*decoded));
            if (text::equalsIgnoringCase(tag, "hex(2)")) {
                value.type = RegistryValue::Type::ExpandString;
            }
            return value;
        }
        if (tag != "hex" &&
            !(tag.size() > 5 && startsWithIgnoringCase(tag, "hex(") && tag.back() == ')')) {
            return std::nullopt;
        }
        return RegistryValue{RegistryValue::Type::Other, std::string(tag), 0};
    }
    return std::nullopt;
}

std::optional<std::string> decodeFile(std::string_view bytes) {
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        return text::utf16LeToUtf8(bytes.substr(2));
    }
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    if (!text::isValidUtf8(bytes)) {
        return std::nullopt;
    }
    return std::string(bytes);
}

// Views into `content`, which outlives them; CR of CRLF line ends dropped.
std::vector<std::string_view> splitLines(std::string_view content) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string_view::npos) {
            end = content.size();
        }
        std::string_view line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
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
            line += "-";
            break;  // never written by this program
    }
    return line;
}

}  // namespace zorvik::posix::reg_syntax
