#include "platform/posix/reg_document.h"

#include "platform/posix/reg_syntax.h"

#include <algorithm>
#include <cstdio>

#include "platform/windows_text.h"

namespace zorvik::posix {

namespace {

using namespace reg_syntax;

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";

Failure corrupt(std::size_t lineNumber, std::string_view what) {
    return {ErrorCode::Corrupt, "ред " + std::to_string(lineNumber) + ": " + std::string(what)};
}

}  // namespace

Result<RegDocument> RegDocument::parse(std::string_view fileBytes) {
    const auto content = decodeFile(fileBytes);
    if (!content) {
        return Failure{ErrorCode::Corrupt, "текстът не е в UTF-8 или UTF-16"};
    }
    const std::vector<std::string_view> lines = splitLines(*content);
    RegDocument document;
    bool headerSeen = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::size_t lineNumber = i + 1;
        const std::string_view line = trimmed(lines[i]);
        const bool blankOrComment = line.empty() || line.front() == ';';
        if (!headerSeen) {
            if (blankOrComment) {
                document.preamble_.emplace_back(lines[i]);
                continue;
            }
            if (line != kHeader && line != kOldHeader) {
                return corrupt(lineNumber, "липсва заглавието на формата");
            }
            headerSeen = true;
            document.hasHeader_ = true;
            document.preamble_.emplace_back(lines[i]);
            continue;
        }
        if (blankOrComment) {
            if (document.sections_.empty()) {
                document.preamble_.emplace_back(lines[i]);
            } else {
                document.sections_.back().entries.push_back(
                    {{std::string(lines[i])}, std::nullopt, std::nullopt});
            }
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                return corrupt(lineNumber, "незатворено име на ключ");
            }
            document.sections_.push_back(
                {std::string(line.substr(1, line.size() - 2)), std::string(lines[i]), {}});
            continue;
        }
        if (line.front() != '"' && line.front() != '@') {
            return corrupt(lineNumber, "непознат ред");
        }
        if (document.sections_.empty()) {
            return corrupt(lineNumber, "стойност извън ключ");
        }
        Entry entry;
        entry.lines.emplace_back(lines[i]);
        std::string_view rest = line;
        std::string name;
        if (rest.front() == '@') {
            rest.remove_prefix(1);
        } else {
            auto quotedName = takeQuoted(rest);
            if (!quotedName) {
                return corrupt(lineNumber, "грешка в името на стойност");
            }
            name = std::move(*quotedName);
        }
        rest = trimmed(rest);
        if (rest.empty() || rest.front() != '=') {
            return corrupt(lineNumber, "липсва знакът =");
        }
        rest.remove_prefix(1);
        std::string data(trimmed(rest));
        // hex data goes on over lines that end in a backslash
        while (startsWithIgnoringCase(data, "hex") && data.back() == '\\') {
            if (i + 1 >= lines.size()) {
                return corrupt(lineNumber, "незавършени шестнайсетични данни");
            }
            data.pop_back();
            entry.lines.emplace_back(lines[++i]);
            data += trimmed(lines[i]);
        }
        bool deletion = false;
        auto value = parseData(data, deletion);
        if (!value) {
            return corrupt(lineNumber, "грешка в данните на стойност");
        }
        entry.name = std::move(name);
        if (!deletion) {
            entry.value = std::move(*value);
        }
        document.sections_.back().entries.push_back(std::move(entry));
    }
    return document;
}

std::optional<RegistryValue> RegDocument::find(std::string_view key,
                                               std::string_view valueName) const {
    std::optional<RegistryValue> found;
    for (const auto& section : sections_) {
        if (!text::equalsIgnoringCase(section.key, key)) {
            continue;
        }
        for (const auto& entry : section.entries) {
            if (entry.name && text::equalsIgnoringCase(*entry.name, valueName)) {
                found = entry.value;
            }
        }
    }
    return found;
}

RegDocument::Section* RegDocument::lastSection(std::string_view key) {
    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it) {
        if (text::equalsIgnoringCase(it->key, key)) {
            return &*it;
        }
    }
    return nullptr;
}

RegDocument::Section& RegDocument::appendSection(std::string_view key) {
    const std::string* lastLine = nullptr;
    if (!sections_.empty()) {
        const Section& last = sections_.back();
        lastLine = last.entries.empty() ? &last.headerLine : &last.entries.back().lines.back();
    } else if (!preamble_.empty()) {
        lastLine = &preamble_.back();
    }
    if (lastLine != nullptr && !trimmed(*lastLine).empty()) {
        if (sections_.empty()) {
            preamble_.emplace_back();
        } else {
            sections_.back().entries.push_back({{std::string()}, std::nullopt, std::nullopt});
        }
    }
    sections_.push_back({std::string(key), "[" + std::string(key) + "]", {}});
    return sections_.back();
}

void RegDocument::set(std::string_view key, std::string_view valueName,
                      const RegistryValue& value) {
    Section* section = lastSection(key);
    if (section == nullptr) {
        section = &appendSection(key);
    }
    Entry* existing = nullptr;
    for (auto& entry : section->entries) {
        if (entry.name && text::equalsIgnoringCase(*entry.name, valueName)) {
            existing = &entry;
        }
    }
    if (existing != nullptr) {
        existing->lines = {formatValue(*existing->name, value)};
        existing->value = value;
        return;
    }
    // after the section's last value, so that comments and blank lines below it stay below
    auto position = section->entries.begin();
    for (auto it = section->entries.begin(); it != section->entries.end(); ++it) {
        if (it->name) {
            position = it + 1;
        }
    }
    section->entries.insert(position,
                            Entry{{formatValue(valueName, value)}, std::string(valueName), value});
}

void RegDocument::remove(std::string_view key, std::string_view valueName) {
    for (auto& section : sections_) {
        if (!text::equalsIgnoringCase(section.key, key)) {
            continue;
        }
        std::erase_if(section.entries, [&](const Entry& entry) {
            return entry.name && text::equalsIgnoringCase(*entry.name, valueName);
        });
    }
}

std::string RegDocument::formatValue(std::string_view valueName, const RegistryValue& value) {
    return formatValueLine(valueName, value);
}

std::string RegDocument::serialize() const {
    std::string out;
    const auto add = [&out](std::string_view line) {
        out += line;
        out += '\n';
    };
    // a store that was empty, or held comments only, gets the header that makes it readable
    if (!hasHeader_) {
        add(kHeader);
        if (preamble_.empty()) {
            add("");
        }
    }
    for (const auto& line : preamble_) {
        add(line);
    }
    for (const auto& section : sections_) {
        add(section.headerLine);
        for (const auto& entry : section.entries) {
            for (const auto& line : entry.lines) {
                add(line);
            }
        }
    }
    return out;
}

}  // namespace zorvik::posix
