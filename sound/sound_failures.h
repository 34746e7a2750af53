#pragma once

#include <string_view>

#include "texts/failure_text.h"

// The failures of the players and the decoders, built from the texts of texts/texts.h: the
// sound's own reasons, which only this folder knows how to fill in.
namespace zorvik::failure_text {

// The code and reason of a fault, for a layer that does not know the file's name.
Failure playFault(PlayFault fault);
Failure playFailed(PlayFault fault, std::string_view path);

// The code and reason of a sound that cannot become a melody, for a decoder, which does not know
// the file's name either.
Failure soundFault(SoundFault fault);

// A file refused before the question of adding it: `shown` names it, `why` is a reason.
Failure addRefused(ErrorCode code, std::string_view shown, std::string_view why);
// A melody refused as the ring melody before the question: nothing changed.
Failure ringRefused(ErrorCode code, std::string_view melody, std::string_view why);

}  // namespace zorvik::failure_text
