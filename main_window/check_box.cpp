#include "main_window/check_box.h"

#include <string>

namespace zorvik {

Status CheckBox::setValue(std::int16_t value) {
    if (value < kClear || value > kGreyed) {
        return Failure{ErrorCode::Unsupported,
                       "Състоянието " + std::to_string(value) + " не е допустимо за отметка."};
    }
    value_ = value;
    return Status::success();
}

}  // namespace zorvik
