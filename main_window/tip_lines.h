#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zorvik {

// A name shown whole in a tip, in lines no wider than `maxWidth` (as `widthOf` measures a piece
// of UTF-8 in the tip's font), so that the tip of the longest name stays on the screen. Lines
// break after a space where one falls within the width, else between two characters as a reader
// sees them (text_breaks.h); together they hold the name exactly.
std::vector<std::string> tipLines(std::string_view name, int maxWidth,
                                  const std::function<int(std::string_view)>& widthOf);

}  // namespace zorvik
