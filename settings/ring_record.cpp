#include "settings/ring_record.h"

#include <array>
#include <string>

#include "platform/failure_text.h"
#include "settings/value_names.h"

namespace zorvik::settings {

namespace {

Failure noShell() {
    return failure_text::settingsUnavailable(
        ErrorCode::NotAvailable, "обектът " + std::string(kShellProgId) + " не е създаден");
}

Status writeBoth(const ShellHolder& holder, std::optional<RegistryValue> folder,
                 std::optional<RegistryValue> name) {
    if (!holder.WSHShell()) {
        return noShell();
    }
    const std::array<ShellObject::NamedValue, 2> values{{
        {kAudioPath, std::move(folder)},
        {kRingSound, std::move(name)},
    }};
    return holder.WSHShell()->writeTogether(values);
}

}  // namespace

Result<RingRecord> readRingRecord(const ShellHolder& holder) {
    if (!holder.WSHShell()) {
        return noShell();
    }
    auto folder = holder.WSHShell()->storedValue(kAudioPath);
    if (!folder.ok()) {
        return folder.failure();
    }
    auto name = holder.WSHShell()->storedValue(kRingSound);
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
