#pragma once

#include <functional>

namespace zorvik::testing {

// Ends a forked child as _exit does (no handlers of the parent's run twice), having first written
// its coverage counts where the build keeps them: _exit alone would drop what the child took.
[[noreturn]] void endChild(int code);

// Runs `act` in a child as an ordinary user, for whom read-only folders are read-only (root
// ignores permissions). Only the effective ids change, so that the child may take its own ids
// back to write its coverage counts. The child's exit code: 0 when `act` returned true, 1 when
// false, 77 when no ordinary user can be had; 100 when it did not exit.
int asOrdinaryUser(const std::function<bool()>& act);

}  // namespace zorvik::testing
