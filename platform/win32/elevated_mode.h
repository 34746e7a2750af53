#pragma once

#include <optional>

namespace zorvik::win32 {

// The program started as the elevated process (kElevatedModeSwitch, the pipe's name and the id
// of the process that made it): serves the file steps of one action until that process closes
// the pipe or ends, and returns the exit code. nullopt where the program was not started so.
std::optional<int> runElevatedMode(int argc, char** argv);

}  // namespace zorvik::win32
