#include "platform/posix/reg_document.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/posix/reg_syntax.h"
#include "platform/windows_text.h"
#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik::posix {

namespace {

using namespace reg_syntax;

Failure corrupt(std::size_t lineNumber, std::string_view what) {
    return {ErrorCode::Corrupt,
            failure_text::filled(texts::kStoreLine, {std::to_string(lineNumber), what})};
}

// The end of the line that starts at `start`: its line feed, or the end of the text.
std::size_t lineEnd(std::string_view text, std::size_t start) {
    const void* found = std::memchr(text.data() + start, '\n', text.size() - start);
    return found == nullptr
               ? text.size()
               : static_cast<std::size_t>(static_cast<const char*>(found) - text.data());
}

std::string_view lastLineOf(std::string_view lines) {
    const std::size_t feed = lines.rfind('\n');
    return feed == std::string_view::npos ? lines : lines.substr(feed + 1);
}

// The data of a value: what follows '=' on its first line, with the lines that hex data goes
// on to after a backslash joined on (into `joined`, so that a one-line value costs no copy).
struct ValueData {
    std::string_view data;
    std::size_t linesTaken = 0;  // of `following`
    std::size_t bytesTaken = 0;  // of `following`, line feeds included
    bool complete = true;        // false when the data asked for a line that was not there
};

ValueData readValueData(std::string_view firstLineData, std::string_view following,
                        std::string& joined) {
    ValueData result{firstLineData};
    if (!startsWithIgnoringCase(firstLineData, "hex") || firstLineData.back() != '\\') {
        return result;
    }
    joined.assign(firstLineData);
    while (startsWithIgnoringCase(joined, "hex") && joined.back() == '\\') {
        if (result.bytesTaken >= following.size()) {
            result.complete = false;
            return result;
        }
        joined.pop_back();
        const std::size_t end = lineEnd(following, result.bytesTaken);
        joined += trimmed(following.substr(result.bytesTaken, end - result.bytesTaken));
        result.bytesTaken = std::min(end + 1, following.size());
        ++result.linesTaken;
    }
    result.data = joined;
    return result;
}

// The name and data of a value line (trimmed): what is wrong with it, "" when nothing is.
std::string_view splitValueLine(std::string_view line, std::string_view& quotedName,
                                std::string_view& data, bool& escaped) {
    std::string_view rest = line;
    escaped = false;
    quotedName = {};
    if (rest.front() == '@') {
        rest.remove_prefix(1);
    } else {
        const std::size_t length = quotedLength(rest, escaped);
        if (length == std::string_view::npos) {
            return texts::kStoreBadValueName;
        }
        quotedName = rest.substr(0, length);
        rest.remove_prefix(length);
    }
    rest = trimmed(rest);
    if (rest.empty() || rest.front() != '=') {
        return texts::kStoreNoEquals;
    }
    data = trimmed(rest.substr(1));
    return {};
}

std::string unquoted(std::string_view quotedName) {
    if (quotedName.empty()) {
        return {};  // the default value, "@"
    }
    return takeQuoted(quotedName).value_or(std::string());
}

std::uint32_t hashOfQuoted(std::string_view quotedName, bool escaped) {
    if (escaped) {
        return foldedHash(unquoted(quotedName));
    }
    return foldedHash(quotedName.empty() ? quotedName
                                         : quotedName.substr(1, quotedName.size() - 2));
}

}  // namespace

Result<RegDocument> RegDocument::parse(std::string fileBytes) {
    auto decoded = decodeFile(std::move(fileBytes));
    if (!decoded) {
        return Failure{ErrorCode::Corrupt, std::string(texts::kStoreNotText)};
    }
    if (decoded->size() >= std::numeric_limits<std::uint32_t>::max()) {
        return Failure{ErrorCode::Corrupt, std::string(texts::kStoreTooLong)};
    }
    RegDocument document;
    document.file_ = std::move(*decoded);
    const std::string_view all = document.file_;
    // about one entry a line, lines seldom shorter than this
    document.entries_.reserve(all.size() / 24 + 8);
    const auto spanOf = [&all](std::string_view part) {
        return Span{0, static_cast<std::uint32_t>(part.data() - all.data()),
                    static_cast<std::uint32_t>(part.size())};
    };
    std::string joined;  // hex data over several lines; reused
    bool headerSeen = false;
    bool inPreamble = true;
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos < all.size()) {
        ++lineNumber;
        const std::size_t start = pos;
        const std::size_t end = lineEnd(all, start);
        pos = end + 1;
        const std::string_view raw = all.substr(start, end - start);
        const std::string_view line = trimmed(raw);
        const bool blankOrComment = line.empty() || line.front() == ';';
        if (inPreamble && (blankOrComment || !headerSeen)) {
            if (!blankOrComment) {
                if (line != kHeader && line != kOldHeader) {
                    return corrupt(lineNumber, texts::kStoreNoHeader);
                }
                headerSeen = true;
                document.hasHeader_ = true;
            }
            ++document.preambleLines_;
            document.preamble_.size = static_cast<std::uint32_t>(end);
            continue;
        }
        if (blankOrComment) {
            document.entries_.push_back({spanOf(raw), 0, false});
            ++document.sections_.back().entryCount;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3) {
                return corrupt(lineNumber, texts::kStoreUnclosedKey);
            }
            const std::string_view key = line.substr(1, line.size() - 2);
            document.sections_.push_back(
                {spanOf(key), spanOf(raw), foldedHash(key), document.entries_.size(), 0});
            inPreamble = false;
            continue;
        }
        if (line.front() != '"' && line.front() != '@') {
            return corrupt(lineNumber, texts::kStoreUnknownLine);
        }
        if (document.sections_.empty()) {
            return corrupt(lineNumber, texts::kStoreValueOutsideKey);
        }
        std::string_view quotedName;
        std::string_view firstLineData;
        bool escaped = false;
        if (const auto problem = splitValueLine(line, quotedName, firstLineData, escaped);
            !problem.empty()) {
            return corrupt(lineNumber, problem);
        }
        const std::string_view following = pos < all.size() ? all.substr(pos) : std::string_view();
        const ValueData value = readValueData(firstLineData, following, joined);
        if (!value.complete) {
            return corrupt(lineNumber, texts::kStoreUnfinishedHex);
        }
        if (!isValidData(value.data)) {
            return corrupt(lineNumber, texts::kStoreBadValueData);
        }
        std::size_t entryEnd = end;
        if (value.linesTaken > 0) {
            pos += value.bytesTaken;
            lineNumber += value.linesTaken;
            entryEnd = all[pos - 1] == '\n' ? pos - 1 : pos;
        }
        document.entries_.push_back(
            {spanOf(all.substr(start, entryEnd - start)), hashOfQuoted(quotedName, escaped), true});
        ++document.sections_.back().entryCount;
    }
    return document;
}

std::string_view RegDocument::text(const Span& span) const {
    const std::string_view source =
        span.source == 0 ? std::string_view(file_) : std::string_view(written_[span.source - 1]);
    return source.substr(span.offset, span.size);
}

RegDocument::Span RegDocument::write(std::string line) {
    const auto size = static_cast<std::uint32_t>(line.size());
    written_.push_back(std::move(line));
    return {static_cast<std::uint32_t>(written_.size()), 0, size};
}

std::string RegDocument::nameOf(const Entry& entry) const {
    std::string_view quotedName;
    std::string_view data;
    bool escaped = false;
    const std::string_view lines = text(entry.lines);
    (void)splitValueLine(trimmed(lines.substr(0, lines.find('\n'))), quotedName, data, escaped);
    return unquoted(quotedName);
}

bool RegDocument::isNamed(const Entry& entry, std::uint32_t hash,
                          std::string_view valueName) const {
    return entry.isValue && entry.nameHash == hash && equalsIgnoringCase(nameOf(entry), valueName);
}

bool RegDocument::isKey(const Section& section, std::uint32_t hash, std::string_view key) const {
    return section.keyHash == hash && equalsIgnoringCase(text(section.key), key);
}

std::optional<RegistryValue> RegDocument::find(std::string_view key,
                                               std::string_view valueName) const {
    const std::uint32_t keyHash = foldedHash(key);
    const std::uint32_t nameHash = foldedHash(valueName);
    const Entry* found = nullptr;
    for (const auto& section : sections_) {
        if (!isKey(section, keyHash, key)) {
            continue;
        }
        for (std::size_t i = 0; i < section.entryCount; ++i) {
            const Entry& entry = entries_[section.firstEntry + i];
            if (isNamed(entry, nameHash, valueName)) {
                found = &entry;
            }
        }
    }
    if (found == nullptr) {
        return std::nullopt;
    }
    const std::string_view lines = text(found->lines);
    const std::size_t feed = std::min(lines.find('\n'), lines.size());
    std::string_view quotedName;
    std::string_view firstLineData;
    bool escaped = false;
    (void)splitValueLine(trimmed(lines.substr(0, feed)), quotedName, firstLineData, escaped);
    std::string joined;
    const ValueData value = readValueData(
        firstLineData, feed < lines.size() ? lines.substr(feed + 1) : std::string_view(), joined);
    bool deletion = false;
    auto parsed = parseData(value.data, deletion);
    if (deletion) {
        return std::nullopt;  // a deletion marker: the value is gone
    }
    return parsed;
}

RegDocument::Section* RegDocument::lastSection(std::string_view key) {
    const std::uint32_t hash = foldedHash(key);
    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it) {
        if (isKey(*it, hash, key)) {
            return &*it;
        }
    }
    return nullptr;
}

RegDocument::Section& RegDocument::appendSection(std::string_view key) {
    // a blank line between the last line and the new key, unless there is one
    bool needsBlank = false;
    if (!sections_.empty()) {
        const Section& last = sections_.back();
        const std::string_view lastLine =
            last.entryCount == 0
                ? text(last.headerLine)
                : lastLineOf(text(entries_[last.firstEntry + last.entryCount - 1].lines));
        needsBlank = !trimmed(lastLine).empty();
    } else if (preambleLines_ > 0) {
        needsBlank = !trimmed(lastLineOf(text(preamble_))).empty();
    }
    if (needsBlank && sections_.empty()) {
        preamble_ = write(std::string(text(preamble_)) + '\n');
        ++preambleLines_;
    } else if (needsBlank) {
        entries_.push_back({write(std::string()), 0, false});
        ++sections_.back().entryCount;
    }
    const Span header = write("[" + std::string(key) + "]");
    sections_.push_back(
        {Span{header.source, 1, header.size - 2}, header, foldedHash(key), entries_.size(), 0});
    return sections_.back();
}

void RegDocument::set(std::string_view key, std::string_view valueName,
                      const RegistryValue& value) {
    Section* section = lastSection(key);
    if (section == nullptr) {
        section = &appendSection(key);
    }
    const std::uint32_t hash = foldedHash(valueName);
    Entry* existing = nullptr;
    // after the section's last value, so that comments and blank lines below it stay below
    std::size_t position = section->firstEntry;
    for (std::size_t i = section->firstEntry; i < section->firstEntry + section->entryCount; ++i) {
        if (isNamed(entries_[i], hash, valueName)) {
            existing = &entries_[i];
        }
        if (entries_[i].isValue) {
            position = i + 1;
        }
    }
    if (existing != nullptr) {
        existing->lines = write(formatValue(nameOf(*existing), value));
        return;
    }
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(position),
                    Entry{write(formatValue(valueName, value)), hash, true});
    ++section->entryCount;
    for (auto it = sections_.begin() + (section - sections_.data()) + 1; it != sections_.end();
         ++it) {
        ++it->firstEntry;
    }
}

void RegDocument::remove(std::string_view key, std::string_view valueName) {
    const std::uint32_t keyHash = foldedHash(key);
    const std::uint32_t nameHash = foldedHash(valueName);
    std::vector<Entry> kept;
    kept.reserve(entries_.size());
    for (auto& section : sections_) {
        const bool matches = isKey(section, keyHash, key);
        const std::size_t first = kept.size();
        for (std::size_t i = 0; i < section.entryCount; ++i) {
            const Entry& entry = entries_[section.firstEntry + i];
            if (!matches || !isNamed(entry, nameHash, valueName)) {
                kept.push_back(entry);
            }
        }
        section.firstEntry = first;
        section.entryCount = kept.size() - first;
    }
    entries_ = std::move(kept);
    removeIfEmpty(key);
}

void RegDocument::removeIfEmpty(std::string_view key) {
    const std::uint32_t keyHash = foldedHash(key);
    const std::string below = std::string(key) + "\\";
    for (const auto& section : sections_) {
        const std::string_view name = text(section.key);
        if (name.size() > below.size() && equalsIgnoringCase(name.substr(0, below.size()), below)) {
            return;  // a key below it stays, and so does it
        }
        if (!isKey(section, keyHash, key)) {
            continue;
        }
        for (std::size_t i = 0; i < section.entryCount; ++i) {
            if (entries_[section.firstEntry + i].isValue) {
                return;
            }
        }
    }
    std::vector<Section> sections;
    std::vector<Entry> entries;
    for (const auto& section : sections_) {
        if (isKey(section, keyHash, key)) {
            continue;
        }
        sections.push_back(section);
        sections.back().firstEntry = entries.size();
        entries.insert(entries.end(),
                       entries_.begin() + static_cast<std::ptrdiff_t>(section.firstEntry),
                       entries_.begin() +
                           static_cast<std::ptrdiff_t>(section.firstEntry + section.entryCount));
    }
    sections_ = std::move(sections);
    entries_ = std::move(entries);
}

}  // namespace zorvik::posix
