#include "melody_library/ring_file_switch.h"

#include "platform/install_folder.h"
#include "platform/temporary_names.h"
#include "platform/windows_path.h"
#include "platform/windows_text.h"
#include "settings/retry_while_held.h"
#include "settings/ring_choice_journal.h"
#include "settings/ring_record.h"
#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik {

using namespace texts;
using install::kRingFile;

namespace {

Status nothingChanged(const Status& status) {
    if (cancelCountsAsSuccess(status).ok()) {
        return status;
    }
    Failure failure = status.failure();
    failure.message += kNothingChanged;
    return failure;
}

// The chosen melody is not the file in use, so only the ring file is named, with what to do.
Status ringFileInUse(FileSystem& files) {
    return Failure{ErrorCode::InUse,
                   failure_text::filled(kRingFileInUse, {files.displayPath(kRingFile)})};
}

}  // namespace

Status RingFileSwitch::retrying(const std::function<Status()>& write) {
    return settings::writeRetryingWhileHeld(services_.box, kRingTitle, write);
}

Status RingFileSwitch::replace(const std::string& source, const std::string& folder,
                               const std::string& name) {
    std::unique_ptr<LockHold> hold;
    if (Status locked = retrying([&] {
            auto acquired = services_.ringChoiceLock.acquire();
            if (acquired.ok()) {
                hold = std::move(acquired).value();
            }
            return acquired.status();
        });
        !locked.ok()) {
        return nothingChanged(locked);
    }
    // A choice that a killed run left half done is settled first: this one's record must not be
    // undone by it later.
    if (Status settled = settle(nullptr); !settled.ok()) {
        return nothingChanged(settled);
    }
    // Only the copy runs aside: the record and the switch stay with the window. It sweeps what
    // killed runs left beside the ring file, now that no journal names it any more.
    auto prepared =
        prepareCopyShowingProgress(services_.files, services_.progress, source, kRingFile);
    if (!prepared.ok()) {
        return nothingChanged(prepared.failure());
    }
    PreparedCopy& copy = *prepared.value();
    const auto before = settings::readRingRecord(shell_);
    if (!before.ok()) {
        return nothingChanged(before.failure());
    }
    const settings::RingChoiceIntent intent{
        winpath::join(winpath::folder(kRingFile), copy.temporaryName()), before.value(), folder,
        name};
    if (Status noted =
            retrying([&] { return settings::kRingChoiceJournal.record(shell_, intent); });
        !noted.ok()) {
        return nothingChanged(noted);
    }
    // From here the journal names the waiting copy: while it does, the copy stays on disk, since
    // a start after a kill takes a missing copy for a switched ring file.
    const auto giveUp = [&](const Status& why) {
        const Status undone =
            retrying([&] { return settings::restoreRingRecord(shell_, intent.before); });
        if (!undone.ok() ||
            !retrying([&] { return settings::kRingChoiceJournal.forget(shell_); }).ok()) {
            copy.keepTemporary();  // the next start finds it, and the record, and undoes them
            if (!undone.ok()) {
                Failure failure = why.failure();
                failure.message += kRecordStillNew;
                failure.message += undone.failure().message;
                return Status(failure);
            }
        }
        return nothingChanged(why);
    };
    if (Status recorded = retrying([&] { return settings::writeRingRecord(shell_, folder, name); });
        !recorded.ok()) {
        return giveUp(recorded);
    }
    if (Status switched = copy.commit(); !switched.ok()) {
        // An elevated process may have made the switch and ended before it could say so: the
        // copy no longer waiting beside the ring file is the switch made.
        const auto waiting = services_.files.exists(intent.temporary);
        if (!waiting.ok() || waiting.value()) {
            return giveUp(switched.code() == ErrorCode::InUse ? ringFileInUse(services_.files)
                                                              : switched);
        }
    }
    // the journal is done with; left behind, it is settled as a switch that happened
    (void)settings::kRingChoiceJournal.forget(shell_);
    return Status::success();
}

Status RingFileSwitch::settle(InterprocessLock* lock) {
    return settings::kRingChoiceJournal.settle(
        shell_, lock, [this](const settings::RingChoiceIntent& intent) {
            if (!trusted(intent)) {
                return Status(Failure{ErrorCode::Corrupt, {}});
            }
            // The waiting copy is removed only once the journal no longer names it, so while it
            // is on disk the ring file was not switched, and the record goes back; once it is
            // gone, it is the ring file, and the record is made to name it. What it leaves
            // beside the ring file goes with the sweep that follows every settle.
            const auto waiting = services_.files.exists(intent.temporary);
            if (!waiting.ok()) {
                return waiting.status();
            }
            const auto now = settings::readRingRecord(shell_);
            if (!now.ok()) {
                return now.status();
            }
            // Only this choice's own change is undone or made: a record that is neither the
            // one it found nor the one it wrote was written since, by the phone program or the
            // user, and stays (a journal restored from a backup names yesterday's choice).
            const settings::RingRecord chosen{RegistryValue::string(intent.folder),
                                              RegistryValue::string(intent.name)};
            if (waiting.value()) {
                return now.value() == chosen ? settings::restoreRingRecord(shell_, intent.before)
                                             : Status::success();
            }
            return now.value() == intent.before
                       ? settings::writeRingRecord(shell_, intent.folder, intent.name)
                       : Status::success();
        });
}

bool RingFileSwitch::trusted(const settings::RingChoiceIntent& intent) const {
    // only a copy of this program's own, waiting directly beside the ring file, is ever taken
    // for one: a journal that names anything else would have the start delete it
    return winpath::folder(intent.temporary) == winpath::folder(kRingFile) &&
           temporary_names::isGiven(winpath::fileName(intent.temporary),
                                    temporary_names::kCopyPrefix) &&
           install::isMelodyFolder(intent.folder, services_.applicationFolder) &&
           text::isValidWindowsName(intent.name) && text::matchesWavPattern(intent.name);
}

}  // namespace zorvik
