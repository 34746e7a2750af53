#pragma once

#include <optional>
#include <string_view>

#include "platform/registry.h"
#include "platform/status.h"
#include "settings/shell_object.h"

namespace zorvik::settings {

// The record of the ring melody, AudioPath and RingSound, as stored (nullopt where missing).
// The two always change together, so that the phone program never reads the folder of one
// melody with the name of another.
struct RingRecord {
    std::optional<RegistryValue> audioPath;
    std::optional<RegistryValue> ringSound;
    friend bool operator==(const RingRecord&, const RingRecord&) = default;
};

// A damaged store (one a write sets aside) reads as holding no record.
Result<RingRecord> readRingRecord(const ShellHolder& holder);
// Both values as strings, in one write: both change or neither does.
Status writeRingRecord(const ShellHolder& holder, std::string_view folder, std::string_view name);
// Puts a record read before back as it was, removing what was missing then.
Status restoreRingRecord(const ShellHolder& holder, const RingRecord& record);

}  // namespace zorvik::settings
