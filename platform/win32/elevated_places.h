#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "platform/status.h"
#include "platform/win32/win32_errors.h"

namespace zorvik::win32 {

// The folders the elevated process may change, each opened once, as itself, and held without
// sharing deletion for as long as it serves: none can then be renamed, removed or swapped for a
// junction behind its back, so a path inside one reaches that very folder.
class HeldPlaces {
public:
    // Holds each of `folders` (Windows paths) that exists. Refused: a place that is a reparse
    // point, whose final path is another, or that a standard user may change (every user, or
    // `requester`, the user's process, where it can be asked; nullptr where it cannot): there the
    // user needs no administrator, and an elevated process could not tell the user's planted
    // entries from the installer's.
    static Result<HeldPlaces> hold(const std::vector<std::string>& folders, HANDLE requester);

private:
    std::vector<Handle> held_;
};

}  // namespace zorvik::win32
