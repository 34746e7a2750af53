#pragma once

#include <functional>
#include <string>

#include "melody_library/core_services.h"
#include "platform/status.h"
#include "settings/ring_choice_journal.h"
#include "settings/shell_object.h"

namespace zorvik {

// The ring file and its record in the settings, changed as one: against a failure at any step,
// against a kill between any two (a journal in the user's registry, settled by the next start
// or the next choice), and against another running copy of the program (one lock around the
// record and the switch).
class RingFileSwitch {
public:
    RingFileSwitch(const CoreServices& services, settings::ShellHolder& shell)
        : services_(services), shell_(shell) {}

    // Copies `source` over the ring file and records `folder` and `name`: both, or neither.
    // Cancelled, with nothing changed, where the user gave up waiting for another program or
    // cancelled the copy.
    Status replace(const std::string& source, const std::string& folder, const std::string& name);

    // Finishes or undoes a choice that a killed run left half done, so that the ring file and
    // its record agree. Nothing to do when none was; a lock held elsewhere is not waited for
    // past its patience (the next start tries again).
    Status settleInterrupted() { return settle(&services_.ringChoiceLock); }

private:
    Status settle(InterprocessLock* lock);
    // Only what this program itself records is acted on: its own copy beside the ring file, and
    // a record of a melody folder it lists and a melody's name.
    bool trusted(const settings::RingChoiceIntent& intent) const;
    Status retrying(const std::function<Status()>& write);

    const CoreServices& services_;
    settings::ShellHolder& shell_;
};

}  // namespace zorvik
