#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

namespace zorvik {

// A text joined from literals at compile time, so that a fact ("C:\Program Files\Zorvik") is
// written once and the texts built on it stay constants.
template <std::size_t N>
struct FixedText {
    std::array<char, N + 1> chars{};  // with a terminating zero, for C interfaces
    constexpr std::string_view view() const { return {chars.data(), N}; }
    constexpr operator std::string_view() const { return view(); }  // NOLINT: a text is a text
    constexpr const char* c_str() const { return chars.data(); }
};

template <std::size_t... N>
constexpr auto joinText(const char (&... parts)[N]) {
    FixedText<(0 + ... + (N - 1))> out{};
    std::size_t at = 0;
    ((std::copy_n(parts, N - 1, out.chars.begin() + static_cast<std::ptrdiff_t>(at)), at += N - 1),
     ...);
    return out;
}

}  // namespace zorvik
