#pragma once

#include <optional>
#include <string>
#include <vector>

#include "texts/failure_text.h"

namespace zorvik::testing {

// A wave file and what every player must make of its header: accept it, or refuse it for this
// fault before any sound library sees it.
struct WaveCase {
    std::string name;  // a file name, too
    std::string bytes;
    std::optional<PlayFault> refused;
};

// The WAV family Windows plays, and headers made to break a player; both builds run them all.
std::vector<WaveCase> waveCases();

}  // namespace zorvik::testing
