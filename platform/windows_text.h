#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Text rules of the Windows side of the world, done without any toolkit: names are UTF-8 here
// and compared the way Windows compares file names (by upper-casing each character).
namespace zorvik::text {

// The code point at byte `pos` (< bytes.size()), `pos` moved past it; nullopt, `pos` unmoved,
// where the bytes there are not valid UTF-8.
std::optional<char32_t> nextCodePoint(std::string_view bytes, std::size_t& pos);
// Decodes UTF-8; nullopt when the bytes are not valid UTF-8 (overlongs and surrogates refused).
std::optional<std::u32string> decodeUtf8(std::string_view bytes);
// Whether the bytes are valid UTF-8, checked without decoding them into a copy.
bool isValidUtf8(std::string_view bytes);
void appendUtf8(std::string& out, char32_t codePoint);

// UTF-16LE bytes (no byte-order mark) to UTF-8 and back; nullopt on unpaired surrogates, an odd
// byte count or invalid UTF-8.
std::optional<std::string> utf16LeToUtf8(std::string_view bytes);
std::optional<std::string> utf8ToUtf16Le(std::string_view utf8);

// Upper case as Windows' file systems map it for Latin, Greek and Cyrillic letters.
char32_t toUpper(char32_t c);
// The upper-cased form of a UTF-8 text; bytes that are not valid UTF-8 pass unchanged.
std::string foldCase(std::string_view utf8);
bool equalsIgnoringCase(std::string_view a, std::string_view b);
// Where `name` stands among `names` as Windows matches a file name: the exact name, else the
// first that differs from it only in case; nullopt when none matches.
std::optional<std::size_t> findFileName(const std::vector<std::string>& names,
                                        std::string_view name);
// Orders by the folded form, then by the bytes, so that the order is total.
bool lessIgnoringCase(std::string_view a, std::string_view b);

// A device Windows reserves whatever the extension: CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to
// LPT9 ("nul.wav", "com1.txt").
bool isReservedDeviceName(std::string_view name);

// A name that a Windows file system can hold: valid UTF-8, not empty, not "." or "..", none of
// \ / : * ? " < > | nor a control character, not ending in a dot or a space, no reserved
// device name, and at most 255 UTF-16 units.
bool isValidWindowsName(std::string_view name);

// The file list's pattern "*.wav", matched ignoring case as on Windows.
bool matchesWavPattern(std::string_view name);

}  // namespace zorvik::text
