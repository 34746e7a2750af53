#include "main_window/tip_lines.h"

#include "platform/text_breaks.h"

namespace zorvik {

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
        std::size_t fits = text::graphemeEnd(rest, 0);
        while (fits < rest.size()) {
            const std::size_t longer = text::graphemeEnd(rest, fits);
            if (widthOf(rest.substr(0, longer)) > maxWidth) {
                break;
            }
            fits = longer;
        }
        const std::size_t space = rest.substr(0, fits).find_last_of(' ');
        const std::size_t end = space != std::string_view::npos && space > 0 ? space + 1 : fits;
        lines.emplace_back(rest.substr(0, end));
        rest.remove_prefix(end);
    }
    return lines;
}

}  // namespace zorvik
