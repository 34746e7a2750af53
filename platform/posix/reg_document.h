#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"
#include "platform/status.h"

namespace zorvik::posix {

// A file in the registry editor's export format, held line by line so that a write changes only
// the value it sets: other keys, values, types, comments and the order all stay as they were.
class RegDocument {
public:
    // An empty store; it gets the format's header when first serialised.
    RegDocument() = default;

    // Takes UTF-8 (with or without a byte-order mark) and UTF-16LE with its byte-order mark,
    // CRLF or LF line ends. Fails with Corrupt, the message saying which line is wrong.
    static Result<RegDocument> parse(std::string_view fileBytes);

    // The value under `key` (a full key name, "HKEY_CURRENT_USER\Zorvik\Setings"), comparing
    // key and value names ignoring case; the last of several entries wins, as on import.
    std::optional<RegistryValue> find(std::string_view key, std::string_view valueName) const;

    void set(std::string_view key, std::string_view valueName, const RegistryValue& value);
    // Takes every entry of that value out of the key's sections.
    void remove(std::string_view key, std::string_view valueName);

    // UTF-8, LF line ends, ending in a line end.
    std::string serialize() const;

    // One value line ("\"Audio\"=dword:00000001", or hex(1) where a string needs it).
    static std::string formatValue(std::string_view valueName, const RegistryValue& value);

private:
    struct Entry {
        std::vector<std::string> lines;      // as read, continuation lines included
        std::optional<std::string> name;     // a value entry's name; none for comments and blanks
        std::optional<RegistryValue> value;  // none for a deletion marker ("name"=-)
    };
    struct Section {
        std::string key;
        std::string headerLine;
        std::vector<Entry> entries;
    };

    Section* lastSection(std::string_view key);
    Section& appendSection(std::string_view key);

    std::vector<std::string> preamble_;  // the header line and what stands before the first key
    bool hasHeader_ = false;
    std::vector<Section> sections_;
};

}  // namespace zorvik::posix
