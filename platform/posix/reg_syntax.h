#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

// The pieces of the registry editor's export format: quoted names and strings, dwords, hex data
// over several lines, and the file's encodings.
namespace zorvik::posix::reg_syntax {

std::string_view trimmed(std::string_view text);
bool startsWithIgnoringCase(std::string_view text, std::string_view prefix);

// A quoted text at the start of `text` ("..." with \\ and \" as the only escapes); moves `text`
// past it. nullopt when it is not closed or has another escape.
std::optional<std::string> takeQuoted(std::string_view& text);
std::string quote(std::string_view text);

// What follows the '=' of a value line; `deletion` tells a "name"=- line.
std::optional<RegistryValue> parseData(std::string_view data, bool& deletion);
// One value line, strings with control characters as hex(1).
std::string formatValueLine(std::string_view valueName, const RegistryValue& value);

// UTF-8 (byte-order mark dropped) from UTF-8 or UTF-16LE with its mark; nullopt otherwise.
std::optional<std::string> decodeFile(std::string_view bytes);
// Views into `content`, which must outlive them; the CR of CRLF line ends dropped.
std::vector<std::string_view> splitLines(std::string_view content);

}  // namespace zorvik::posix::reg_syntax
