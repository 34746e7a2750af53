#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/status.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/win32_file_steps.h"

namespace zorvik::win32 {

// What the handle on a place says of the folder it reached.
struct PlaceFacts {
    DWORD attributes = 0;
    std::wstring finalPath;  // without "\\?\"
};
using PlaceQuery = std::function<std::optional<PlaceFacts>(HANDLE place)>;
// Windows' own answer; nullopt where it gives none.
std::optional<PlaceFacts> placeFactsOf(HANDLE place);

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
    // `query` stands in for Windows' answer in a test (a reparse point Wine never reports).
    static Result<HeldPlaces> hold(const std::vector<std::string>& folders, HANDLE requester,
                                   const PlaceQuery& query = placeFactsOf);

    // Each place held, under its path as given, for the steps to name files relative to.
    std::vector<Win32FileSteps::Place> places() const;

private:
    std::vector<Handle> held_;
    std::vector<std::wstring> folders_;
};

}  // namespace zorvik::win32
