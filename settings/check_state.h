#pragma once

#include <cstdint>

// A check box's state as the settings store keeps it: a 16-bit signed integer.
namespace zorvik::check_state {

inline constexpr std::int16_t kClear = 0;
inline constexpr std::int16_t kTicked = 1;
inline constexpr std::int16_t kGreyed = 2;  // reaches a box only from a stored value

}  // namespace zorvik::check_state
