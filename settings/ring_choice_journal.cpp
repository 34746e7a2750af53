#include "settings/ring_choice_journal.h"

#include <array>
#include <charconv>
#include <cstring>

#include "settings/journal_text.h"

namespace zorvik::settings {

namespace {

constexpr char kDigits[] = "0123456789abcdef";

std::string hexOf(std::string_view bytes) {
    std::string out;
    for (const char byte : bytes) {
        out += kDigits[static_cast<unsigned char>(byte) >> 4];
        out += kDigits[static_cast<unsigned char>(byte) & 0xF];
    }
    return out;
}

std::optional<std::string> bytesOf(std::string_view hex) {
    if (hex.size() % 2 != 0) {
        return std::nullopt;
    }
    std::string out;
    for (std::size_t at = 0; at < hex.size(); at += 2) {
        const char* high = std::strchr(kDigits, hex[at]);
        const char* low = std::strchr(kDigits, hex[at + 1]);
        if (hex[at] == '\0' || hex[at + 1] == '\0' || high == nullptr || low == nullptr) {
            return std::nullopt;
        }
        out += static_cast<char>((high - kDigits) * 16 + (low - kDigits));
    }
    return out;
}

// "none:", "sz:text", "expand:text", "dword:123", "other:tag:hex of the bytes"
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
            return "other:" + value->text + ":" + hexOf(value->bytes);
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
    if (kind == "other") {
        // only a type the registry can be given back, never a tag that could say more
        const std::size_t end = rest.find(':');
        const std::string_view tag = rest.substr(0, end);
        auto bytes = end == std::string_view::npos ? std::nullopt : bytesOf(rest.substr(end + 1));
        if (!bytes || !typeOfTag(tag)) {
            return std::nullopt;
        }
        return std::optional(
            RegistryValue{RegistryValue::Type::Other, std::string(tag), 0, std::move(*bytes)});
    }
    RegistryValue value = RegistryValue::string(std::string(rest));
    if (kind == "expand") {
        value.type = RegistryValue::Type::ExpandString;
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
