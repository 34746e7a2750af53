#pragma once

#include <functional>
#include <string_view>

#include "platform/message_box_service.h"
#include "platform/status.h"

namespace zorvik::settings {

// Runs a write of the settings, and runs it again for as long as it finds them held by another
// program (Busy) and the user, asked in a box that gives the failure, chooses to try again. On
// Cancel the result is a Cancelled failure: nothing was written, and the user, who has just
// read why, needs no other box about it.
Status writeRetryingWhileHeld(MessageBoxService& box, std::string_view title,
                              const std::function<Status()>& write);

}  // namespace zorvik::settings
