#include "settings/ring_record.h"

#include <array>
#include <string>

#include "settings/value_names.h"
#include "texts/failure_text.h"

namespace zorvik::settings {

namespace {

Status writeBoth(const ShellHolder& holder, std::optional<RegistryValue> folder,
                 std::optional<RegistryValue> name) {
    const std::array<ShellObject::NamedValue, 2> values{{
        {kAudioPath, std::move(folder)},
        {kRingSound, std::move(name)},
    }};
    return writeTogether(holder, values);
}

// The value as stored, where a damaged store counts as holding none: no reader, this program
// or the phone program, can take a record from it, and the write that follows sets it aside,
// as closing the window does. Undoing that write then leaves no record, which is what every
// reader found before.
Result<std::optional<RegistryValue>> recordedValue(const ShellObject& shell,
                                                   std::string_view fullName) {
    auto value = shell.storedValue(fullName);
    if (!value.ok() && value.failure().code == ErrorCode::Corrupt) {
        return std::optional<RegistryValue>();
    }
    return value;
}

}  // namespace

Result<RingRecord> readRingRecord(const ShellHolder& holder) {
    if (!holder.WSHShell()) {
        return noShellObject();
    }
    auto folder = recordedValue(*holder.WSHShell(), kAudioPath);
    if (!folder.ok()) {
        return folder.failure();
    }
    auto name = recordedValue(*holder.WSHShell(), kRingSound);
    if (!name.ok()) {
        return name.failure();
    }
    return RingRecord{std::move(folder).value(), std::move(name).value()};
}

Status writeRingRecord(const ShellHolder& holder, std::string_view folder, std::string_view name) {
    return writeBoth(holder, RegistryValue::string(std::string(folder)),
                     RegistryValue::string(std::string(name)));
}

Status restoreRingRecord(const ShellHolder& holder, const RingRecord& record) {
    return writeBoth(holder, record.audioPath, record.ringSound);
}

}  // namespace zorvik::settings
