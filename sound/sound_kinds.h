#pragma once

#include <string>

namespace zorvik::sound {

// What the open-file dialog offers after the design's "Wav|*.wav": all the sounds this build
// converts, each kind of them, and all files, in the common dialog's form, each entry after a
// '|' ("|Description|*.a;*.b|..."). One list for both builds, each taking what it converts.
std::string convertibleSoundFilters();

}  // namespace zorvik::sound
