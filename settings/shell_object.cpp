#include "settings/shell_object.h"

#include <vector>

#include "platform/windows_text.h"
#include "settings/value_names.h"
#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik::settings {

namespace {

struct ValueAddress {
    std::string key;   // below HKEY_CURRENT_USER
    std::string name;  // "" for the key's default value
};

// "HKCU\Zorvik\Setings\Audio" -> {"Zorvik\Setings", "Audio"}.
Result<ValueAddress> addressOf(std::string_view fullName, bool forWriting) {
    const auto fail = [&](ErrorCode code, std::string_view why) -> Failure {
        return forWriting ? failure_text::settingWriteFailed(code, fullName, why)
                          : failure_text::settingReadFailed(code, fullName, why);
    };
    const std::size_t firstSeparator = fullName.find('\\');
    const std::string_view hive = fullName.substr(0, firstSeparator);
    if (!text::equalsIgnoringCase(hive, "HKCU") &&
        !text::equalsIgnoringCase(hive, "HKEY_CURRENT_USER")) {
        return fail(ErrorCode::NotAvailable, texts::kOnlyCurrentUser);
    }
    const std::size_t lastSeparator = fullName.rfind('\\');
    if (firstSeparator == std::string_view::npos || lastSeparator == firstSeparator) {
        return fail(ErrorCode::InvalidName, texts::kNotAValueName);
    }
    return ValueAddress{
        std::string(fullName.substr(firstSeparator + 1, lastSeparator - firstSeparator - 1)),
        std::string(fullName.substr(lastSeparator + 1))};
}

}  // namespace

RegistryValue dwordOf(std::int16_t state) {
    return RegistryValue::dword(static_cast<std::uint32_t>(static_cast<std::int32_t>(state)));
}

Result<Variant> ShellObject::RegRead(std::string_view fullName) const {
    const auto address = addressOf(fullName, false);
    if (!address.ok()) {
        return address.failure();
    }
    const auto stored = registry_.read(address.value().key, address.value().name);
    if (!stored.ok()) {
        return stored.failure();
    }
    const RegistryValue& value = stored.value();
    switch (value.type) {
        case RegistryValue::Type::Dword:
            return Variant(static_cast<std::int32_t>(value.number));
        case RegistryValue::Type::String:
        case RegistryValue::Type::ExpandString:
            return Variant(value.text);
        case RegistryValue::Type::Other:
            break;
    }
    return Variant(OtherValue{value.text});
}

Status ShellObject::RegWrite(std::string_view fullName, std::string_view value) const {
    return write(fullName, RegistryValue::string(std::string(value)));
}

Status ShellObject::RegWrite(std::string_view fullName, std::int16_t value,
                             std::string_view type) const {
    if (text::equalsIgnoringCase(type, kTypeDword)) {
        return write(fullName, dwordOf(value));
    }
    if (text::equalsIgnoringCase(type, kTypeString)) {
        return write(fullName, RegistryValue::string(std::to_string(value)));
    }
    return failure_text::settingWriteFailed(ErrorCode::Unsupported, fullName,
                                            failure_text::filled(texts::kTypeNotSupported, {type}));
}

Status ShellObject::write(std::string_view fullName, const RegistryValue& value) const {
    const auto address = addressOf(fullName, true);
    if (!address.ok()) {
        return address.failure();
    }
    return registry_.write(address.value().key, address.value().name, value);
}

Result<std::optional<RegistryValue>> ShellObject::storedValue(std::string_view fullName) const {
    const auto address = addressOf(fullName, false);
    if (!address.ok()) {
        return address.failure();
    }
    auto stored = registry_.read(address.value().key, address.value().name);
    if (stored.ok()) {
        return std::optional<RegistryValue>(std::move(stored).value());
    }
    if (stored.failure().code == ErrorCode::NotFound) {
        return std::optional<RegistryValue>();
    }
    return stored.failure();
}

Status ShellObject::writeTogether(std::span<const NamedValue> values) const {
    std::string key;
    std::vector<ValueChange> changes;
    for (const auto& named : values) {
        const auto address = addressOf(named.fullName, true);
        if (!address.ok()) {
            return address.failure();
        }
        if (!changes.empty() && !text::equalsIgnoringCase(key, address.value().key)) {
            return failure_text::settingWriteFailed(ErrorCode::Unsupported, named.fullName,
                                                    texts::kNotOneKey);
        }
        key = address.value().key;
        changes.push_back({address.value().name, named.value});
    }
    return registry_.apply(key, changes);
}

Result<std::shared_ptr<ShellObject>> RegistryShellFactory::CreateObject(std::string_view progId) {
    if (!text::equalsIgnoringCase(progId, kShellProgId)) {
        return failure_text::settingsUnavailable(
            ErrorCode::NotAvailable, failure_text::filled(texts::kNoSuchObject, {progId}));
    }
    return std::make_shared<ShellObject>(registry_);
}

Failure noShellObject() {
    return failure_text::settingsUnavailable(
        ErrorCode::NotAvailable, failure_text::filled(texts::kObjectNotCreated, {kShellProgId}));
}

Status writeTogether(const ShellHolder& holder, std::span<const ShellObject::NamedValue> values) {
    if (!holder.WSHShell()) {
        return noShellObject();
    }
    return holder.WSHShell()->writeTogether(values);
}

Status ShellHolder::reg() {
    auto created = factory_.CreateObject(kShellProgId);
    if (!created.ok()) {
        return created.failure();
    }
    shell_ = std::move(created).value();
    return Status::success();
}

}  // namespace zorvik::settings
