#include "platform/registry.h"

#include <cstdio>

#include "texts/failure_text.h"
#include "texts/texts.h"

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

std::optional<std::uint32_t> typeOfTag(std::string_view tag) {
    if (tag == "hex") {
        return 3;  // REG_BINARY
    }
    if (tag.size() < 6 || tag.size() > 13 || !tag.starts_with("hex(") || !tag.ends_with(")")) {
        return std::nullopt;
    }
    std::uint32_t type = 0;
    for (const char digit : tag.substr(4, tag.size() - 5)) {
        const bool decimal = digit >= '0' && digit <= '9';
        if (!decimal && (digit < 'a' || digit > 'f')) {
            return std::nullopt;
        }
        type = type * 16 + static_cast<std::uint32_t>(decimal ? digit - '0' : digit - 'a' + 10);
    }
    return type;
}

std::string tagOfType(std::uint32_t type) {
    if (type == 3) {
        return "hex";
    }
    char tag[16];
    std::snprintf(tag, sizeof tag, "hex(%x)", static_cast<unsigned>(type));
    return tag;
}

Status Registry::apply(std::string_view key, std::span<const ValueChange> changes) {
    for (const auto& change : changes) {
        if (change.value && change.value->type == RegistryValue::Type::Other &&
            !typeOfTag(change.value->text)) {
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
