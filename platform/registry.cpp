#include "platform/registry.h"

#include "platform/failure_text.h"
#include "platform/texts.h"

namespace zorvik {

std::string Registry::fullValueName(std::string_view key, std::string_view valueName) {
    std::string name = "HKEY_CURRENT_USER\\";
    name += key;
    name += '\\';
    name += valueName;
    return name;
}

Status Registry::write(std::string_view key, std::string_view valueName,
                       const RegistryValue& value) {
    const ValueChange change{std::string(valueName), value};
    return apply(key, std::span<const ValueChange>(&change, 1));
}

Status Registry::apply(std::string_view key, std::span<const ValueChange> changes) {
    for (const auto& change : changes) {
        if (change.value && change.value->type == RegistryValue::Type::Other) {
            // the type is only a tag read from elsewhere: there are no bytes to write
            return failure_text::settingWriteFailed(ErrorCode::Unsupported,
                                                    fullValueName(key, change.name),
                                                    texts::kValueTypeNotWritable);
        }
    }
    if (changes.empty()) {
        return Status::success();
    }
    return applyChecked(key, changes);
}

}  // namespace zorvik
