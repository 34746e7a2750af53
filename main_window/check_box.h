#pragma once

#include <cstdint>

#include "platform/status.h"
#include "settings/check_state.h"

namespace zorvik {

// A check box's state: 0 clear, 1 ticked, 2 greyed.
class CheckBox {
public:
    static constexpr std::int16_t kClear = check_state::kClear;
    static constexpr std::int16_t kTicked = check_state::kTicked;
    static constexpr std::int16_t kGreyed = check_state::kGreyed;

    std::int16_t Value() const { return value_; }
    // Any other state than the three is refused and the box keeps its state.
    Status setValue(std::int16_t value);
    // The user's click: a ticked box clears, a clear or greyed one ticks, as on Windows.
    void click() { value_ = value_ == kTicked ? kClear : kTicked; }

private:
    std::int16_t value_ = kClear;
};

}  // namespace zorvik
