#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Where a text may be broken into lines, done without any toolkit, so that both builds' boxes
// and tips break alike: between the characters a reader sees (grapheme clusters: a letter with
// its combining marks, an emoji with its modifiers and joined emoji, a flag), never inside one.
namespace zorvik::text {

// The classes of Unicode's grapheme cluster boundaries (UAX #29) that its rules tell apart.
enum class GraphemeKind : unsigned char {
    Other,
    Cr,
    Lf,
    Control,
    Extend,
    Zwj,
    SpacingMark,
    Prepend,
    L,
    V,
    T,
    Lv,
    Lvt,
    RegionalIndicator,
    Pictographic,
};

struct GraphemeRange {
    char32_t first;
    char32_t last;
    GraphemeKind kind;
};

// The end of the grapheme cluster that starts at byte `at` (< utf8.size()) of a UTF-8 text. A
// byte that is not part of valid UTF-8 is a cluster of its own.
std::size_t graphemeEnd(std::string_view utf8, std::size_t at);

// The longest run of characters without a space that a box shows on one line: a box grows as
// wide as the longest run it cannot break, past the screen's edge for a long name.
inline constexpr std::size_t kLongestUnbrokenRun = 40;

// A message as a box shows it: its "\r\n" as "\n", and each run of more than
// kLongestUnbrokenRun characters without a space broken with "\n" into lines of that many,
// between two characters.
std::string brokenForABox(std::string_view message);

}  // namespace zorvik::text
