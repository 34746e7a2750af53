#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/registry.h"

// The pieces of the registry editor's export format: quoted names and strings, dwords, hex data
// over several lines, and the file's encodings.
namespace zorvik::posix::reg_syntax {

// The first line of the file, as the registry editor writes it, and as older ones did.
inline constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
inline constexpr std::string_view kOldHeader = "REGEDIT4";

// Without the spaces and tabs at either end.
inline std::string_view trimmed(std::string_view text) {
    std::size_t first = 0;
    while (first < text.size() && (text[first] == ' ' || text[first] == '\t')) {
        ++first;
    }
    std::size_t last = text.size();
    while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t')) {
        --last;
    }
    return text.substr(first, last - first);
}
// `prefix` is ASCII.
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);
// As text::equalsIgnoringCase, quicker through ASCII.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

// The length of the quoted text at the start of `text` ("..." with \\ and \" as the only
// escapes), both quotes included; npos when it is not closed or has another escape. `escaped`
// tells whether the text inside holds an escape.
std::size_t quotedLength(std::string_view text, bool& escaped);
// A quoted text at the start of `text`, unescaped; moves `text` past it. nullopt when it is not
// closed or has another escape.
std::optional<std::string> takeQuoted(std::string_view& text);
std::string quote(std::string_view text);

// What follows the '=' of a value line; `deletion` tells a "name"=- line.
std::optional<RegistryValue> parseData(std::string_view data, bool& deletion);
// Whether parseData would take `data`, found without building the value.
bool isValidData(std::string_view data);
// One value line, strings with control characters as hex(1).
std::string formatValueLine(std::string_view valueName, const RegistryValue& value);

// The file's text as UTF-8 with LF line ends (the byte-order mark and the CR of CRLF dropped),
// from UTF-8 or UTF-16LE with its mark; nullopt otherwise. Takes the bytes so that a UTF-8 file,
// the common case, is not copied.
std::optional<std::string> decodeFile(std::string bytes);

// A hash under which names equal ignoring case (text::equalsIgnoringCase) are equal, so that a
// lookup compares few names in full.
std::uint32_t foldedHash(std::string_view name);

}  // namespace zorvik::posix::reg_syntax
