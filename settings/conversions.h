#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/status.h"
#include "settings/shell_object.h"

namespace zorvik::settings {

// A 16-bit signed integer from a stored integer or from a string holding a whole number (spaces
// around it and a sign allowed); out of range or no number fails. `fullName` is for the message.
Result<std::int16_t> toInteger16(const Variant& value, std::string_view fullName);

// A string as it is; a number as its decimal digits.
Result<std::string> toText(const Variant& value, std::string_view fullName);

// The reads and writes the window makes, each one statement: through the shell object held,
// failing when none is held yet.
Result<std::int16_t> readOption(const ShellHolder& holder, std::string_view fullName);
Result<std::string> readText(const ShellHolder& holder, std::string_view fullName);
// Audio and inDeleted, as the window closes, in one write: two instances closing at once leave
// the pair of one of them, and when Audio cannot be written, inDeleted is not written either.
Status writeOptions(const ShellHolder& holder, std::int16_t audio, std::int16_t inDeleted);

}  // namespace zorvik::settings
