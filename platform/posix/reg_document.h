#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "platform/status.h"

namespace zorvik::posix {

// A file in the registry editor's export format, kept as the text it was read from so that a
// write changes only the value it sets: other keys, values, types, comments and the order all
// stay as they were. Parsing checks every line but copies none: entries are places in the text,
// and a value is only built when it is looked up.
class RegDocument {
public:
    // An empty store; it gets the format's header when first serialised.
    RegDocument() = default;

    // Takes UTF-8 (with or without a byte-order mark) and UTF-16LE with its byte-order mark,
    // CRLF or LF line ends. Fails with Corrupt, the message saying which line is wrong.
    static Result<RegDocument> parse(std::string fileBytes);
    static Result<RegDocument> parse(std::string_view fileBytes) {
        return parse(std::string(fileBytes));
    }
    static Result<RegDocument> parse(const char* fileBytes) {
        return parse(std::string(fileBytes));
    }

    // The value under `key` (a full key name, "HKEY_CURRENT_USER\Zorvik\Setings"), comparing
    // key and value names ignoring case; the last of several entries wins, as on import.
    std::optional<RegistryValue> find(std::string_view key, std::string_view valueName) const;

    void set(std::string_view key, std::string_view valueName, const RegistryValue& value);
    // Takes every entry of that value out of the key's sections; a key left with no value and
    // no key below it goes too.
    void remove(std::string_view key, std::string_view valueName);

    // UTF-8, LF line ends, ending in a line end.
    std::string serialize() const;
    // The same text in a few pieces, views into this document, for writing without a copy.
    std::vector<std::string_view> pieces() const;
    // One value line ("\"Audio\"=dword:00000001", or hex(1) where a string needs it).
    static std::string formatValue(std::string_view valueName, const RegistryValue& value);

private:
    // A stretch of text: of the file as read (source 0), or of a text this document wrote
    // since (source n is written_[n - 1]). Places, not pointers, so copies stay valid.
    struct Span {
        std::uint32_t source = 0;
        std::uint32_t offset = 0;
        std::uint32_t size = 0;
    };
    struct Entry {
        Span lines;                  // every line of the entry, continuation lines included
        std::uint32_t nameHash = 0;  // of a value's name (reg_syntax::foldedHash)
        bool isValue = false;        // false for comments and blank lines
    };
    struct Section {
        Span key;
        Span headerLine;
        std::uint32_t keyHash = 0;
        std::size_t firstEntry = 0;  // its entries are entries_[firstEntry, +entryCount)
        std::size_t entryCount = 0;
    };

    std::string_view text(const Span& span) const;
    Span write(std::string text);
    // The name of a value entry, unescaped.
    std::string nameOf(const Entry& entry) const;
    bool isNamed(const Entry& entry, std::uint32_t hash, std::string_view valueName) const;
    bool isKey(const Section& section, std::uint32_t hash, std::string_view key) const;
    Section* lastSection(std::string_view key);
    Section& appendSection(std::string_view key);
    void removeIfEmpty(std::string_view key);

    std::string file_;                  // the file's text, LF line ends
    std::vector<std::string> written_;  // lines set since it was read
    Span preamble_;                     // the header and what stands before the first key
    std::size_t preambleLines_ = 0;
    bool hasHeader_ = false;
    std::vector<Section> sections_;
    std::vector<Entry> entries_;
};

}  // namespace zorvik::posix
