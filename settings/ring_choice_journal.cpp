#include "settings/ring_choice_journal.h"

#include <array>
#include <charconv>

#include "settings/journal_text.h"

namespace zorvik::settings {

namespace {

// "none:", "sz:text", "expand:text", "dword:123", "other:tag"
std::string encodeValue(const std::optional<RegistryValue>& value) {
    if (!value) {
        return "none:";
    }
    std::string out;
    switch (value->type) {
        case RegistryValue::Type::String:
            out = "sz:";
            break;
        case RegistryValue::Type::ExpandString:
            out = "expand:";
            break;
        case RegistryValue::Type::Dword:
            return "dword:" + std::to_string(value->number);
        case RegistryValue::Type::Other:
            out = "other:";
            break;
    }
    out += value->text;
    return out;
}

std::optional<std::optional<RegistryValue>> decodeValue(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view kind = text.substr(0, colon);
    const std::string_view rest = text.substr(colon + 1);
    if (kind == "none" && rest.empty()) {
        return std::optional<RegistryValue>();
    }
    if (kind == "dword") {
        std::uint32_t number = 0;
        const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), number);
        if (error != std::errc() || end != rest.data() + rest.size() || rest.empty()) {
            return std::nullopt;
        }
        return std::optional(RegistryValue::dword(number));
    }
    RegistryValue value = RegistryValue::string(std::string(rest));
    if (kind == "expand") {
        value.type = RegistryValue::Type::ExpandString;
    } else if (kind == "other") {
        value.type = RegistryValue::Type::Other;
    } else if (kind != "sz") {
        return std::nullopt;
    }
    return std::optional(std::move(value));
}

constexpr std::array<std::string_view, 5> kFields = {"temporary", "folder", "name",
                                                     "audio-path-before", "ring-sound-before"};

}  // namespace

std::string encodeIntent(const RingChoiceIntent& intent) {
    return journalLine(kFields[0], intent.temporary) + journalLine(kFields[1], intent.folder) +
           journalLine(kFields[2], intent.name) +
           journalLine(kFields[3], encodeValue(intent.before.audioPath)) +
           journalLine(kFields[4], encodeValue(intent.before.ringSound));
}

std::optional<RingChoiceIntent> decodeIntent(std::string_view text) {
    auto fields = journalFields(text, kFields);
    if (!fields) {
        return std::nullopt;
    }
    auto audioPath = decodeValue((*fields)[3]);
    auto ringSound = decodeValue((*fields)[4]);
    if ((*fields)[0].empty() || !audioPath || !ringSound) {
        return std::nullopt;
    }
    RingChoiceIntent intent;
    intent.temporary = std::move((*fields)[0]);
    intent.folder = std::move((*fields)[1]);
    intent.name = std::move((*fields)[2]);
    intent.before = {std::move(*audioPath), std::move(*ringSound)};
    return intent;
}

}  // namespace zorvik::settings
