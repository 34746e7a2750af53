#include "main_window/program.h"

#include <utility>

namespace zorvik {

Program::Program(std::unique_ptr<Desktop> desktop)
    : desktop_(std::move(desktop)),
      shells_(desktop_->services().settingsStore()),
      form_(coreServicesOf(desktop_->services(), shells_)) {}

bool Program::start() {
    return desktop_->open(form_);
}

int Program::run() {
    return start() ? desktop_->dispatchUntilClosed() : 1;
}

}  // namespace zorvik
