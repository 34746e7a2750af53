#pragma once

#include <string>

namespace zorvik::win32 {

// The folder of the running executable (GetModuleFileNameW), in UTF-8 without a trailing
// backslash ("C:\Program Files\Zorvik").
std::string applicationFolder();

}  // namespace zorvik::win32
