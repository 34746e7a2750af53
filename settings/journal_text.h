#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/interprocess_lock.h"
#include "platform/status.h"
#include "settings/shell_object.h"

namespace zorvik::settings {

// The text of a journal value: one line a field ("name=text"), the text escaped, so that any
// path or stored value comes back as it was.
std::string journalLine(std::string_view field, std::string_view text);

// The fields' texts, in the order of `names`; nullopt when one is missing, repeated, unknown,
// badly escaped or longer than a Windows path can be, or the text is cut short (every line ends
// in a line feed).
std::optional<std::vector<std::string>> journalFields(std::string_view text,
                                                      std::span<const std::string_view> names);

// A journal value of the program's own in the user's registry: written and removed in one step
// on every store. Its key goes with its last value.
Status writeJournal(const ShellHolder& holder, std::string_view valueName, const std::string& text);
// What a journal that cannot be read back, or names what this program never writes, says.
Failure damagedJournal(std::string_view valueName);
// The stored text; a value that is not a string is a Corrupt failure.
Result<std::optional<std::string>> readJournalText(const ShellHolder& holder,
                                                   std::string_view valueName);
Status dropJournal(const ShellHolder& holder, std::string_view valueName);
// Moves the value, whatever it holds, whole to "<name>.corrupt" beside it, so that nothing acts
// on it again and the user can still see what stood there.
Status setJournalAside(const ShellHolder& holder, std::string_view valueName);

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

    // Finishes or undoes what a killed run left under way: `finish` brings the files and the
    // record to one side, then the journal goes; on its failure the journal stays for the next
    // try. With nothing pending, nothing is waited for: another copy may hold `lock` through a
    // whole long copy (nullptr: the caller holds it). A journal this program could not have
    // written (unreadable, or `finish` says Corrupt) is set aside whole with nothing acted on,
    // so that it never stands in the way of a later choice or move.
    Status settle(const ShellHolder& holder, InterprocessLock* lock,
                  const std::function<Status(const Intent&)>& finish) const {
        std::unique_ptr<LockHold> hold;
        if (lock != nullptr) {
            if (const auto peek = pending(holder); peek.ok() && !peek.value()) {
                return Status::success();
            }
            auto acquired = lock->acquire();
            if (!acquired.ok()) {
                return acquired.status();
            }
            hold = std::move(acquired).value();
        }
        auto intent = pending(holder);
        if (!intent.ok() || !intent.value()) {
            return intent.ok() || intent.failure().code != ErrorCode::Corrupt
                       ? intent.status()
                       : setJournalAside(holder, valueName);
        }
        if (Status finished = finish(*intent.value()); !finished.ok()) {
            return finished.code() == ErrorCode::Corrupt ? setJournalAside(holder, valueName)
                                                         : finished;
        }
        return forget(holder);
    }
};

}  // namespace zorvik::settings
