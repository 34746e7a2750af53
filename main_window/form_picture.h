#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "melody_library/melody_library.h"

namespace zorvik {

// Everything the window shows, read from the core in one piece after each change: both windows
// draw from it and from nothing else, so they cannot come to show different things. The texts
// and names belong to the core and hold until its next change.
struct FormPicture {
    std::int16_t check1 = 0;
    std::int16_t check2 = 0;
    std::string_view text1;
    std::string_view text2;
    std::string_view command3Caption;
    // which folder the list shows, which its name for a screen reader follows
    MelodyView view = MelodyView::Rings;
    // the list: its names, a number that changes whenever they do (so a window converts them
    // again only then), the marked entry and the keyboard's place
    const std::vector<std::string>* names = nullptr;
    std::uint64_t namesRevision = 0;
    std::optional<std::size_t> marked;
    std::optional<std::size_t> place;
};

}  // namespace zorvik
