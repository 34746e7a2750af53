#include "melody_library/melody_move.h"

#include "platform/install_folder.h"
#include "platform/temporary_names.h"
#include "platform/windows_path.h"
#include "platform/windows_text.h"
#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik {

using namespace install;

Status MelodyMove::move(const std::string& source, const std::string& destination,
                        const RightsOnDemand& withRights) {
    // one copy of the program at a time: another's settling could take the source from under
    // a move that is still on its way
    auto hold = services_.ringChoiceLock.acquire();
    if (!hold.ok()) {
        return hold.failure().code == ErrorCode::Busy
                   ? failure_text::moveBusy(services_.files.displayPath(source))
                   : hold.failure();
    }
    return withRights([&] {
        // what it cannot settle now stays for the next start; it stands in this move's way only
        // where this move would record its own journal over it
        unsettled_ = settle(nullptr);
        return moveShowingProgress(services_.files, services_.progress, source, destination, *this);
    });
}

Status MelodyMove::settle(InterprocessLock* lock) {
    return settings::kMoveJournal.settle(shell_, lock, [this](const settings::MoveIntent& intent) {
        if (!trusted(intent)) {
            return Status(Failure{ErrorCode::Corrupt, {}});
        }
        return settleMove(services_.files, services_.rights.changeSteps(), intent);
    });
}

bool MelodyMove::trusted(const settings::MoveIntent& intent) const {
    const std::string_view name = winpath::fileName(intent.source);
    const std::string_view destinationFolder = winpath::folder(intent.destination);
    // a move goes into the install folder's own Rings or Deleted, from wherever the list was
    if (!text::isValidWindowsName(name) || !text::matchesWavPattern(name) ||
        winpath::fileName(intent.destination) != name ||
        !isMelodyFolder(winpath::folder(intent.source), services_.applicationFolder) ||
        !isMelodyFolder(destinationFolder) ||
        winpath::samePath(winpath::folder(intent.source), destinationFolder)) {
        return false;
    }
    return intent.kept.empty() ||
           (winpath::folder(intent.kept) == destinationFolder &&
            temporary_names::isGiven(winpath::fileName(intent.kept), temporary_names::kKeptPrefix));
}

Status MelodyMove::recordMove(const MoveRecord& move) {
    // an unfinished journal may be all that finds an older melody kept aside again
    if (!unsettled_.ok()) {
        const Failure& why = unsettled_.failure();
        return failure_text::moveFailed(
            why.code, services_.files.displayPath(move.source),
            services_.files.displayPath(move.destination),
            failure_text::filled(texts::kEarlierMoveUnfinished, {texts::reason(why.code)}));
    }
    return settings::kMoveJournal.record(shell_, move);
}

void MelodyMove::forgetMove() {
    // left behind, it only leaves the next start to find the move whole
    (void)settings::kMoveJournal.forget(shell_);
}

}  // namespace zorvik
