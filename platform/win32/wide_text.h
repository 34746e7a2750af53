#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/status.h"

// The core speaks UTF-8 and Windows speaks UTF-16: every text crosses here, explicitly. (A
// std::filesystem::path made from a narrow string under MinGW would read each byte as one
// character and turn Cyrillic names into mojibake.)
namespace zorvik::win32 {

// nullopt when the bytes are not valid UTF-8; nothing is ever replaced silently.
std::optional<std::wstring> toWide(std::string_view utf8);
// nullopt on an unpaired surrogate.
std::optional<std::string> toUtf8(std::wstring_view wide);

// Text for a window or a box, where a character that cannot be converted must not hide the rest:
// invalid input becomes U+FFFD.
std::wstring toWideLossy(std::string_view utf8);
std::string toUtf8Lossy(std::wstring_view wide);

// A Windows-form path as the wide-character API takes it: '/' read as '\', and a drive path past
// MAX_PATH given the "\\?\" prefix after Windows has made it absolute. InvalidName (naming the
// path) when it is not valid UTF-8.
Result<std::wstring> apiPath(std::string_view path);

}  // namespace zorvik::win32
