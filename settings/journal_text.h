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
// The journal under `valueName` as `decode` reads it: nullopt when there is none, Corrupt when it
// cannot be read back (something else than this program wrote it).
template <typename Decode>
auto readJournal(const ShellHolder& holder, std::string_view valueName, Decode decode)
    -> Result<decltype(decode(std::string_view()))> {
    using Intent = decltype(decode(std::string_view()));
    auto stored = readJournalText(holder, valueName);
    if (!stored.ok()) {
        return stored.failure();
    }
    if (!stored.value()) {
        return Intent();
    }
    Intent intent = decode(*stored.value());
    if (!intent) {
        return damagedJournal(valueName);
    }
    return intent;
}
Status dropJournal(const ShellHolder& holder, std::string_view valueName);

}  // namespace zorvik::settings
