#pragma once

#include <functional>
#include <string>

#include "melody_library/core_services.h"
#include "platform/status.h"
#include "settings/move_journal.h"
#include "settings/shell_object.h"

namespace zorvik {

// A melody moved between the Rings and the Deleted folders, whole or not at all: against a kill
// between any two steps (a journal in the user's registry, settled by the next start or the next
// move) and against another running copy of the program (the lock a ring choice takes).
class MelodyMove final : private MoveJournal {
public:
    // Runs the file work, perhaps once more with its changes made by an elevated process.
    using RightsOnDemand = std::function<Status(const std::function<Status()>&)>;

    MelodyMove(const CoreServices& services, settings::ShellHolder& shell)
        : services_(services), shell_(shell) {}

    // Moves `source` to `destination`; a copy it has to make (across volumes) runs under the
    // progress dialog. Cancelled, with nothing changed, where the user cancelled that copy.
    Status move(const std::string& source, const std::string& destination,
                const RightsOnDemand& withRights);

    // Finishes a move that a killed run left cut in two, with what it kept aside.
    Status settleInterrupted() { return settle(&services_.ringChoiceLock); }

private:
    Status settle(InterprocessLock* lock);
    // Only what this program itself records is acted on: a melody of the Rings or the Deleted
    // folder moved to the other, under its own name, and an older namesake kept beside it.
    bool trusted(const settings::MoveIntent& intent) const;

    Status recordMove(const MoveRecord& move) override;
    void forgetMove() override;

    const CoreServices& services_;
    settings::ShellHolder& shell_;
    Status unsettled_;  // how the earlier journal settled before this move
};

// Finishes a recorded move that a kill cut short: the source goes when the destination is
// still the very copy the move made and holds the same content, the whole move having
// happened but for that; otherwise it stays. The older namesake kept aside goes back where
// the move did not take its place, and goes once the move is whole; a file under its name
// that is not that one is left alone. Corrupt, with nothing done, where source and
// destination are one file. Its changes take `steps`, as the move's own did.
Status settleMove(FileSystem& files, FileSteps& steps, const MoveRecord& move);

}  // namespace zorvik
