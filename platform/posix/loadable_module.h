#pragma once

namespace zorvik::posix {

// The entry point `entry` of a module of the program, loaded with dlopen (and kept loaded): the
// module installed at `fromProgram` (relative to the executable's folder), else the one at
// `built`, where the build made it. nullptr where neither loads or has the entry point.
void* moduleEntry(const char* fromProgram, const char* built, const char* entry);

}  // namespace zorvik::posix
