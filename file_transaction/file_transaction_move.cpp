// Moves, all or nothing: one rename within a volume; across volumes a copy, the older namesake
// kept aside until the source is gone, and everything put back should a step fail. Deletes,
// checked afterwards. A link is moved or deleted as itself, or not at all.
#include <optional>
#include <utility>

#include "file_transaction/file_operation.h"
#include "file_transaction/file_transaction.h"
#include "platform/scoped_value.h"
#include "platform/temporary_names.h"
#include "platform/windows_path.h"

namespace zorvik {

namespace {

using failure_text::Detail;

}  // namespace

Status FileOperation::moveFile(MoveJournal* journal, const CopyRunner* runCopy) {
    if (Status resolved = resolvePaths(); !resolved.ok()) {
        return resolved;
    }
    const auto source = steps_.inspect(hostSource_, LinkHandling::Itself);
    if (!source.ok()) {
        return fail(source.failure());
    }
    if (Status movable = checkSource(source.value()); !movable.ok()) {
        return movable;
    }
    const bool isLink = source.value().kind == EntryKind::Link;
    FileIdentity linkTarget;
    if (isLink) {
        // moving a link over the very file it points to would leave nothing but the link
        if (const auto target = steps_.inspect(hostSource_, LinkHandling::Follow); target.ok()) {
            linkTarget = target.value().identity;
        }
    }
    if (Status replaceable = checkDestination(source.value().identity, linkTarget);
        !replaceable.ok()) {
        return replaceable;
    }
    if (Status removable = steps_.checkRemovable(hostSource_); !removable.ok()) {
        return fail(removable.failure());
    }
    const Status moved = run(FileStep::MoveInOneStep,
                             [&] { return steps_.moveInOneStep(hostSource_, hostDestination_); });
    if (moved.ok()) {
        if (stillThere(hostSource_)) {
            return failure_text::moveUnconfirmed(shownSource_, shownDestination_);
        }
        run(FileStep::SyncFolder, [&] { steps_.syncFolder(destinationFolder_); });
        run(FileStep::SyncFolder, [&] { steps_.syncFolder(sourceFolder_); });
        return Status::success();
    }
    if (moved.code() != ErrorCode::NotSameVolume) {
        // A rename made by another process (an elevated one) that ended before it could say so:
        // the very file at the destination and none left at the source is the move made.
        const auto there = steps_.inspect(hostDestination_, LinkHandling::Itself);
        if (there.ok() && there.value().identity == source.value().identity &&
            !stillThere(hostSource_)) {
            run(FileStep::SyncFolder, [&] { steps_.syncFolder(destinationFolder_); });
            run(FileStep::SyncFolder, [&] { steps_.syncFolder(sourceFolder_); });
            return Status::success();
        }
        return fail(moved.failure());
    }
    if (isLink) {
        return fail(ErrorCode::Unsupported, Detail::LinkAcrossVolumes);
    }
    return moveAcrossVolumes(journal, runCopy);
}

Status FileOperation::moveAcrossVolumes(MoveJournal* journal, const CopyRunner* runCopy) {
    auto opened = files_.openSource(hostSource_);
    if (!opened.ok()) {
        return fail(opened.failure());
    }
    std::unique_ptr<SourceReader> reader = std::move(opened).value();
    // a moved file stays what it was, read-only included
    std::optional<Result<TemporaryFile>> written;
    const auto copy = [&](CopyProgress* progress) {
        written.emplace(writeTemporary(*reader, true, progress));
    };
    bool copyStands = true;
    if (runCopy != nullptr) {
        copyStands = (*runCopy)([&](CopyProgress& progress) { copy(&progress); });
    } else {
        copy(nullptr);
    }
    reader.reset();  // Windows removes no file that is still open
    if (!written) {
        return fail(ErrorCode::NotAvailable);  // nothing ran the copy
    }
    if (!copyStands && written->ok()) {
        written.reset();  // its temporary goes with it
        return Failure{ErrorCode::Cancelled, {}};
    }
    if (!written->ok()) {
        return written->failure();
    }
    TemporaryFile temporary = std::move(*written).value();
    // the older namesake's place aside is named after the copy, so that the journal names it
    // before it exists
    const std::string copyName(winpath::fileName(temporary.path()));
    const std::string keptName = temporary_names::keptNameFor(copyName);
    const std::string hostKept =
        temporary.path().substr(0, temporary.path().size() - copyName.size()) + keptName;
    // from here a kill could leave the melody in both folders, or the older one aside: the
    // journal lets the next start finish the move and put back or remove what was kept, and
    // names the very files it may act on then
    if (journal != nullptr) {
        MoveRecord record{source_, destination_, {}, {}, {}};
        const auto copied = steps_.inspect(temporary.path(), LinkHandling::Itself);
        if (!copied.ok()) {
            return fail(copied.failure());
        }
        record.copy = copied.value().stamp();
        if (destinationExists_) {
            const auto older = steps_.inspect(hostDestination_, LinkHandling::Itself);
            if (!older.ok()) {
                return fail(older.failure());
            }
            record.kept = winpath::join(winpath::folder(destination_), keptName);
            record.older = older.value().stamp();
        }
        if (Status recorded = journal->recordMove(record); !recorded.ok()) {
            return recorded;
        }
    }
    bool settled = true;  // false: the journal stays, for the next start to finish
    const ScopeExit forget([&] {
        if (journal != nullptr && settled) {
            journal->forgetMove();
        }
    });
    TemporaryFile kept;
    bool keptLinked = false;
    if (destinationExists_) {
        const auto aside =
            run(FileStep::KeepAside, [&] { return steps_.keepAside(hostDestination_, hostKept); });
        if (!aside.ok()) {
            return fail(aside.failure());
        }
        kept = TemporaryFile(steps_, aside.value().path);
        keptLinked = aside.value().linked;
    }
    const auto putBack = [&] {
        return run(FileStep::Restore,
                   [&] { return steps_.putBack(kept.path(), hostDestination_); });
    };
    const Status placed = run(FileStep::RenameIntoPlace, [&] {
        return steps_.renameIntoPlace(temporary.path(), hostDestination_);
    });
    if (!placed.ok()) {
        // a second name of the destination goes; a destination moved away comes back
        if (!kept.empty() && !keptLinked) {
            if (Status restored = putBack(); !restored.ok()) {
                // never removed when it cannot go back: it is the only copy left, and the
                // journal that names it stays for the next start to put it back
                const std::string shown = shownKept(kept.path());
                kept.leaveOnDisk();
                settled = false;
                return failure_text::replaceLeftOlderAside(placed.code(), shownDestination_,
                                                           placed.failure().message, shown);
            }
            kept.handedOver();
        }
        return fail(placed.failure());
    }
    temporary.handedOver();
    run(FileStep::SyncFolder, [&] { steps_.syncFolder(destinationFolder_); });
    Status removed =
        run(FileStep::RemoveSource, [&] { return steps_.removeFile(hostSource_, true); });
    if (removed.ok() && stillThere(hostSource_)) {
        files_.noteRefused(hostSource_);
        removed = failure_text::because(ErrorCode::AccessDenied, Detail::StillThereAfterDelete);
    }
    if (!removed.ok()) {
        const Status restored =
            kept.empty()
                ? run(FileStep::Restore, [&] { return steps_.removeFile(hostDestination_, true); })
                : putBack();
        if (!restored.ok() || (kept.empty() && stillThere(hostDestination_))) {
            const std::string shown = kept.empty() ? std::string() : shownKept(kept.path());
            settled = kept.empty();  // a kept file left aside is settled by the next start
            kept.leaveOnDisk();
            return failure_text::moveLeftInBothFolders(
                removed.code(), shownSource_, shownDestination_, removed.failure().message, shown);
        }
        kept.handedOver();
        run(FileStep::SyncFolder, [&] { steps_.syncFolder(destinationFolder_); });
        return fail(removed.failure());
    }
    run(FileStep::SyncFolder, [&] { steps_.syncFolder(sourceFolder_); });
    if (!kept.empty()) {
        // the older namesake, replaced as the user agreed, goes; should it stay, the journal
        // stays with it and the next start removes it
        const Status dropped = run(FileStep::DropKept, [&] {
            const std::string path = kept.path();
            kept.handedOver();
            steps_.removeTemporary(path);
            return stillThere(path) ? Status(Failure{ErrorCode::Other, {}}) : Status::success();
        });
        kept.leaveOnDisk();
        settled = dropped.ok();
    }
    return Status::success();
}

Status FileOperation::deleteFile() {
    if (winpath::endsWithSeparator(source_) || winpath::fileName(source_).empty()) {
        return fail(ErrorCode::NotFound, Detail::NoFileNamed);
    }
    const auto host = files_.hostPath(source_);
    if (!host.ok()) {
        return fail(host.failure());
    }
    hostSource_ = host.value();
    const std::string& path = hostSource_;
    steps_.removeAbandonedTemporaries(std::string(winpath::folder(path)));
    const auto entry = steps_.inspect(path, LinkHandling::Itself);
    if (!entry.ok()) {
        return fail(entry.failure());
    }
    switch (entry.value().kind) {
        case EntryKind::Missing:
            return fail(entry.value().missing);
        case EntryKind::Folder:
            return fail(ErrorCode::IsFolder);
        case EntryKind::UnseenLink:
            return fail(ErrorCode::Unsupported, Detail::LinkNotActedOnItself);
        case EntryKind::File:
            if (entry.value().readOnly) {
                return fail(ErrorCode::ReadOnly);
            }
            break;
        case EntryKind::Link:
        case EntryKind::Other:
            break;
    }
    const Status removed =
        run(FileStep::RemoveFile, [&] { return steps_.removeFile(path, false); });
    if (!removed.ok()) {
        return fail(removed.failure());
    }
    if (stillThere(path)) {
        files_.noteRefused(path);
        return fail(ErrorCode::AccessDenied, Detail::StillThereAfterDelete);
    }
    run(FileStep::SyncFolder, [&] { steps_.syncFolder(std::string(winpath::folder(path))); });
    return Status::success();
}

Status TransactionalFileSystem::moveFile(std::string_view source, std::string_view destination,
                                         MoveJournal* journal, const CopyRunner& runCopy) {
    return FileOperation(*this, FileOperation::Kind::Move, source, destination)
        .moveFile(journal, runCopy ? &runCopy : nullptr);
}

Status TransactionalFileSystem::deleteFile(std::string_view path) {
    return FileOperation(*this, FileOperation::Kind::Delete, path).deleteFile();
}

Result<bool> TransactionalFileSystem::exists(std::string_view path) {
    const auto host = hostPath(path);
    if (!host.ok()) {
        return host.failure();
    }
    auto found = activeSteps().inspect(host.value(), LinkHandling::Itself);
    if (!found.ok()) {
        return found.failure();
    }
    return found.value().kind != EntryKind::Missing;
}

void TransactionalFileSystem::removeAbandonedTemporaries(std::string_view folder) {
    if (const auto host = hostPath(folder); host.ok()) {
        activeSteps().removeAbandonedTemporaries(host.value());
    }
}

}  // namespace zorvik
