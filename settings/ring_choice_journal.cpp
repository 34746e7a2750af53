#include "settings/ring_choice_journal.h"

#include <array>
#include <charconv>

#include "platform/failure_text.h"

namespace zorvik::settings {

namespace {

void appendEscaped(std::string& out, std::string_view text) {
    for (const char ch : text) {
        if (ch == '\\') {
            out += "\\\\";
        } else if (ch == '\n') {
            out += "\\n";
        } else if (ch == '\r') {
            out += "\\r";
        } else {
            out += ch;
        }
    }
}

std::optional<std::string> unescaped(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '\\') {
            out += text[at];
            continue;
        }
        if (++at == text.size()) {
            return std::nullopt;
        }
        switch (text[at]) {
            case '\\':
                out += '\\';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
}

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
    appendEscaped(out, value->text);
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
    auto body = unescaped(rest);
    if (!body) {
        return std::nullopt;
    }
    RegistryValue value = RegistryValue::string(std::move(*body));
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
    std::string out;
    const auto line = [&](std::string_view field, const std::string& text) {
        out += field;
        out += '=';
        out += text;
        out += '\n';
    };
    const auto escaped = [](std::string_view text) {
        std::string written;
        appendEscaped(written, text);
        return written;
    };
    line(kFields[0], escaped(intent.temporary));
    line(kFields[1], escaped(intent.folder));
    line(kFields[2], escaped(intent.name));
    line(kFields[3], encodeValue(intent.before.audioPath));
    line(kFields[4], encodeValue(intent.before.ringSound));
    return out;
}

std::optional<RingChoiceIntent> decodeIntent(std::string_view text) {
    std::array<std::optional<std::string_view>, kFields.size()> found;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            return std::nullopt;  // cut short: every line ends in a line feed
        }
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            return std::nullopt;
        }
        bool known = false;
        for (std::size_t i = 0; i < kFields.size(); ++i) {
            if (line.substr(0, equals) == kFields[i] && !found[i]) {
                found[i] = line.substr(equals + 1);
                known = true;
            }
        }
        if (!known) {
            return std::nullopt;
        }
    }
    for (const auto& field : found) {
        if (!field) {
            return std::nullopt;
        }
    }
    RingChoiceIntent intent;
    auto temporary = unescaped(*found[0]);
    auto folder = unescaped(*found[1]);
    auto name = unescaped(*found[2]);
    auto audioPath = decodeValue(*found[3]);
    auto ringSound = decodeValue(*found[4]);
    if (!temporary || temporary->empty() || !folder || !name || !audioPath || !ringSound) {
        return std::nullopt;
    }
    intent.temporary = std::move(*temporary);
    intent.folder = std::move(*folder);
    intent.name = std::move(*name);
    intent.before = {std::move(*audioPath), std::move(*ringSound)};
    return intent;
}

Status recordIntent(const ShellHolder& holder, const RingChoiceIntent& intent) {
    if (!holder.WSHShell()) {
        return noShellObject();
    }
    return holder.WSHShell()->RegWrite(kRingChoiceIntent, encodeIntent(intent));
}

Result<std::optional<RingChoiceIntent>> pendingIntent(const ShellHolder& holder) {
    if (!holder.WSHShell()) {
        return noShellObject();
    }
    auto stored = holder.WSHShell()->storedValue(kRingChoiceIntent);
    if (!stored.ok()) {
        return stored.failure();
    }
    if (!stored.value()) {
        return std::optional<RingChoiceIntent>();
    }
    const RegistryValue& value = *stored.value();
    auto intent =
        value.type == RegistryValue::Type::String ? decodeIntent(value.text) : std::nullopt;
    if (!intent) {
        return failure_text::settingReadFailed(ErrorCode::Corrupt, kRingChoiceIntent,
                                               "записът е повреден");
    }
    return std::optional(std::move(*intent));
}

Status forgetIntent(const ShellHolder& holder) {
    if (!holder.WSHShell()) {
        return noShellObject();
    }
    const std::array<ShellObject::NamedValue, 1> removal{{{kRingChoiceIntent, std::nullopt}}};
    return holder.WSHShell()->writeTogether(removal);
}

}  // namespace zorvik::settings
