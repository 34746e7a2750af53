#include "main_window/check_box.h"

#include <string>

#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik {

Status CheckBox::setValue(std::int16_t value) {
    if (value < kClear || value > kGreyed) {
        return Failure{ErrorCode::Unsupported,
                       failure_text::filled(texts::kCheckStateInvalid, {std::to_string(value)})};
    }
    value_ = value;
    return Status::success();
}

}  // namespace zorvik
