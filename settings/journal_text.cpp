#include "settings/journal_text.h"

#include <array>

#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik::settings {

namespace {

constexpr std::size_t kLongestField = 32767;

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

}  // namespace

std::string journalLine(std::string_view field, std::string_view text) {
    std::string out(field);
    out += '=';
    appendEscaped(out, text);
    out += '\n';
    return out;
}

std::optional<std::vector<std::string>> journalFields(std::string_view text,
                                                      std::span<const std::string_view> names) {
    std::vector<std::optional<std::string>> found(names.size());
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end + 1);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            return std::nullopt;
        }
        std::size_t at = 0;
        while (at < names.size() && names[at] != line.substr(0, equals)) {
            ++at;
        }
        if (at == names.size() || found[at]) {
            return std::nullopt;
        }
        found[at] = unescaped(line.substr(equals + 1));
        if (!found[at] || found[at]->size() > kLongestField) {
            return std::nullopt;
        }
    }
    std::vector<std::string> fields;
    for (auto& field : found) {
        if (!field) {
            return std::nullopt;
        }
        fields.push_back(std::move(*field));
    }
    return fields;
}

Status writeJournal(const ShellHolder& holder, std::string_view valueName,
                    const std::string& text) {
    if (!holder.WSHShell()) {
        return noShellObject();
    }
    return holder.WSHShell()->RegWrite(valueName, text);
}

Result<std::optional<std::string>> readJournalText(const ShellHolder& holder,
                                                   std::string_view valueName) {
    if (!holder.WSHShell()) {
        return noShellObject();
    }
    auto stored = holder.WSHShell()->storedValue(valueName);
    if (!stored.ok()) {
        return stored.failure();
    }
    if (!stored.value()) {
        return std::optional<std::string>();
    }
    if (stored.value()->type != RegistryValue::Type::String) {
        return damagedJournal(valueName);
    }
    return std::optional(std::move(stored.value()->text));
}

Status dropJournal(const ShellHolder& holder, std::string_view valueName) {
    if (!holder.WSHShell()) {
        return noShellObject();
    }
    const std::array<ShellObject::NamedValue, 1> removal{{{valueName, std::nullopt}}};
    return holder.WSHShell()->writeTogether(removal);
}

Status setJournalAside(const ShellHolder& holder, std::string_view valueName) {
    if (!holder.WSHShell()) {
        return noShellObject();
    }
    auto stored = holder.WSHShell()->storedValue(valueName);
    if (stored.ok() && !stored.value()) {
        return Status::success();
    }
    // A store that cannot be read is set aside whole by its next write.
    if (!stored.ok()) {
        return dropJournal(holder, valueName);
    }
    const std::string asideName = std::string(valueName) + ".corrupt";
    const std::array<ShellObject::NamedValue, 2> moved{{
        {valueName, std::nullopt},
        {asideName, std::move(*stored.value())},
    }};
    const Status setAside = holder.WSHShell()->writeTogether(moved);
    // a value no store can be given again (a type whose tag names none) holds nothing to keep,
    // and stands in no later choice's way
    return setAside.ok() || setAside.code() != ErrorCode::Unsupported
               ? setAside
               : dropJournal(holder, valueName);
}

Failure damagedJournal(std::string_view valueName) {
    return failure_text::settingReadFailed(ErrorCode::Corrupt, valueName, texts::kJournalDamaged);
}

}  // namespace zorvik::settings
