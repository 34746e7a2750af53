#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/status.h"
#include "settings/journal_text.h"
#include "settings/shell_object.h"

namespace zorvik::settings {

// A move across volumes under way: its copy may take the destination's place before the source
// is removed. Kept in the user's own registry from just before that until the move is whole or
// undone, so that a start after a kill finishes it (the source goes once the destination is the
// very copy the move made, holding the same melody), a melody is never left in both folders,
// and nothing kept aside stays.
using MoveIntent = MoveRecord;

inline constexpr std::string_view kMoveIntent = "HKCU\\Software\\Zorvik Melodies\\MoveUnderWay";

std::string encodeMove(const MoveIntent& intent);
std::optional<MoveIntent> decodeMove(std::string_view text);

inline constexpr Journal<MoveIntent> kMoveJournal{kMoveIntent, encodeMove, decodeMove};

}  // namespace zorvik::settings
