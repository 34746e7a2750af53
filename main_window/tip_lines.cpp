#include "main_window/tip_lines.h"

namespace zorvik {

namespace {

// The end of the character that starts at `at`.
std::size_t nextCharacter(std::string_view text, std::size_t at) {
    ++at;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
        ++at;
    }
    return at;
}

}  // namespace

std::vector<std::string> tipLines(std::string_view name, int maxWidth,
                                  const std::function<int(std::string_view)>& widthOf) {
    std::vector<std::string> lines;
    std::string_view rest = name;
    while (!rest.empty()) {
        if (widthOf(rest) <= maxWidth) {
            lines.emplace_back(rest);
            break;
        }
        // the longest start that fits, and never less than one character
        std::size_t fits = nextCharacter(rest, 0);
        for (std::size_t end = nextCharacter(rest, fits);
             end <= rest.size() && widthOf(rest.substr(0, end)) <= maxWidth;
             end = nextCharacter(rest, end)) {
            fits = end;
        }
        const std::size_t space = rest.substr(0, fits).find_last_of(' ');
        const std::size_t end = space != std::string_view::npos && space > 0 ? space + 1 : fits;
        lines.emplace_back(rest.substr(0, end));
        rest.remove_prefix(end);
    }
    return lines;
}

}  // namespace zorvik
