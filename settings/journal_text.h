#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/status.h"
#include "settings/shell_object.h"

namespace zorvik::settings {

// The text of a journal value: one line a field ("name=text"), the text escaped, so that any
// path or stored value comes back as it was.
std::string journalLine(std::string_view field, std::string_view text);

// The fields' texts, in the order of `names`; nullopt when one is missing, repeated, unknown or
// badly escaped, or the text is cut short (every line ends in a line feed).
std::optional<std::vector<std::string>> journalFields(std::string_view text,
                                                      std::span<const std::string_view> names);

// A journal value of the program's own in the user's registry: written and removed in one step
// on every store. A text that is not a string comes back as nullopt inside a Corrupt failure.
Status writeJournal(const ShellHolder& holder, std::string_view valueName, const std::string& text);
// What a journal that cannot be read back says.
Failure damagedJournal(std::string_view valueName);
Result<std::optional<std::string>> readJournalText(const ShellHolder& holder,
                                                   std::string_view valueName);
Status dropJournal(const ShellHolder& holder, std::string_view valueName);

// One journal: the value that holds it and how an intent is written in it and read back.
template <typename Intent>
struct Journal {
    std::string_view valueName;
    std::string (*encode)(const Intent&);
    std::optional<Intent> (*decode)(std::string_view);

    Status record(const ShellHolder& holder, const Intent& intent) const {
        return writeJournal(holder, valueName, encode(intent));
    }
    // nullopt when nothing is under way; Corrupt when what is stored cannot be read back
    // (something else than this program wrote it).
    Result<std::optional<Intent>> pending(const ShellHolder& holder) const {
        auto stored = readJournalText(holder, valueName);
        if (!stored.ok()) {
            return stored.failure();
        }
        if (!stored.value()) {
            return std::optional<Intent>();
        }
        auto intent = decode(*stored.value());
        if (!intent) {
            return damagedJournal(valueName);
        }
        return intent;
    }
    Status forget(const ShellHolder& holder) const { return dropJournal(holder, valueName); }
};

}  // namespace zorvik::settings
