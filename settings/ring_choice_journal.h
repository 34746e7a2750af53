#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/status.h"
#include "settings/journal_text.h"
#include "settings/ring_record.h"
#include "settings/shell_object.h"

namespace zorvik::settings {

// A ring-melody choice under way: the new ring file waits beside the old one under a temporary
// name while the record changes. Kept in the user's own registry before the record changes and
// removed once the ring file is in place, so that a start after a kill can tell which half
// happened: while the temporary file is still there the ring file was not switched, and the
// record goes back; once it is gone it was, and the record is made to name the new melody.
struct RingChoiceIntent {
    std::string temporary;  // Windows path of the new ring file, beside the old one
    RingRecord before;      // the record as it was
    std::string folder;     // the record being written
    std::string name;
    friend bool operator==(const RingChoiceIntent&, const RingChoiceIntent&) = default;
};

// The value that holds it: one string, so that it is written and removed in one step on every
// store. A key of this program's own, beside the phone program's, which it never adds to.
inline constexpr std::string_view kRingChoiceIntent =
    "HKCU\\Software\\Zorvik Melodies\\RingChoiceUnderWay";

// One line a field ("name=kind:text"), text escaped, so that any stored value comes back as it
// was, of its type.
std::string encodeIntent(const RingChoiceIntent& intent);
std::optional<RingChoiceIntent> decodeIntent(std::string_view text);

inline constexpr Journal<RingChoiceIntent> kRingChoiceJournal{kRingChoiceIntent, encodeIntent,
                                                              decodeIntent};

}  // namespace zorvik::settings
