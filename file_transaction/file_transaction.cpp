// The checks every transaction makes, and the copy: its content goes to a temporary file beside
// the destination, is flushed, and takes the destination's place in one rename.
#include "file_transaction/file_transaction.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "file_transaction/file_operation.h"
#include "platform/windows_path.h"
#include "platform/windows_text.h"

namespace zorvik {

namespace {

using failure_text::Detail;

// The copy in the destination's folder, waiting for commit().
class TransactionCopy final : public PreparedCopy {
public:
    TransactionCopy(FileOperation operation, TemporaryFile temporary)
        : operation_(std::move(operation)), temporary_(std::move(temporary)) {}

    Status commit() override {
        if (temporary_.empty()) {
            return operation_.fail(ErrorCode::Other, Detail::AlreadyInPlace);
        }
        if (Status writable = operation_.recheckDestination(); !writable.ok()) {
            return writable;
        }
        FileSteps& steps = operation_.steps();
        const Status placed = operation_.run(FileStep::RenameIntoPlace, [&] {
            return steps.renameIntoPlace(temporary_.path(), operation_.hostDestination());
        });
        if (!placed.ok()) {
            return operation_.fail(placed.failure());
        }
        temporary_.handedOver();
        operation_.run(FileStep::SyncFolder,
                       [&] { steps.syncFolder(operation_.destinationFolder()); });
        return Status::success();
    }

    std::string temporaryName() const override {
        return std::string(winpath::fileName(temporary_.path()));
    }

    void keepTemporary() override { temporary_.leaveOnDisk(); }

private:
    FileOperation operation_;
    TemporaryFile temporary_;
};

}  // namespace

FileOperation::FileOperation(TransactionalFileSystem& files, Kind kind, std::string_view source,
                             std::string_view destination)
    : files_(files),
      steps_(files.activeSteps()),
      kind_(kind),
      source_(source),
      destination_(destination),
      shownSource_(files.displayPath(source)),
      shownDestination_(files.displayPath(destination)) {}

Failure FileOperation::fail(ErrorCode code, std::string_view why) const {
    switch (kind_) {
        case Kind::Copy:
            return failure_text::copyFailed(code, shownSource_, shownDestination_, why);
        case Kind::Move:
            return failure_text::moveFailed(code, shownSource_, shownDestination_, why);
        case Kind::Delete:
            break;
    }
    return failure_text::deleteFailed(code, shownSource_, why);
}

Status FileOperation::resolvePaths() {
    if (winpath::endsWithSeparator(source_)) {
        return fail(ErrorCode::IsFolder, Detail::SourceIsFolder);
    }
    const auto source = files_.hostPath(source_);
    if (!source.ok()) {
        return fail(source.failure());
    }
    const auto destination = files_.hostPath(destination_);
    if (!destination.ok()) {
        return fail(destination.failure());
    }
    if (winpath::endsWithSeparator(destination_)) {
        return fail(ErrorCode::IsFolder, Detail::DestinationIsFolder);
    }
    hostSource_ = source.value();
    hostDestination_ = destination.value();
    sourceFolder_ = winpath::folder(hostSource_);
    destinationFolder_ = winpath::folder(hostDestination_);
    // what killed runs left in the folders this acts in goes with it; a copy leaves the
    // source's folder, which may be anyone's, as it is
    steps_.removeAbandonedTemporaries(destinationFolder_);
    if (kind_ == Kind::Move && sourceFolder_ != destinationFolder_) {
        steps_.removeAbandonedTemporaries(sourceFolder_);
    }
    return Status::success();
}

Status FileOperation::checkSource(const EntryFacts& source) const {
    switch (source.kind) {
        case EntryKind::Missing:
            if (source.missing == ErrorCode::NotAFolder) {
                return fail(ErrorCode::NotAFolder, Detail::SourcePathThroughFile);
            }
            if (source.missing == ErrorCode::FolderNotFound) {
                return fail(ErrorCode::FolderNotFound, Detail::SourceFolderMissing);
            }
            return fail(ErrorCode::NotFound, Detail::SourceMissing);
        case EntryKind::Folder:
            return fail(ErrorCode::IsFolder, Detail::SourceIsFolder);
        case EntryKind::Other:
            return fail(ErrorCode::Unsupported, Detail::SourceNotRegular);
        case EntryKind::UnseenLink:
            // only a move or a delete asks for the entry itself; a copy reads through links
            return fail(ErrorCode::Unsupported, Detail::LinkNotActedOnItself);
        case EntryKind::File:
        case EntryKind::Link:
            break;
    }
    return Status::success();
}

Status FileOperation::checkDestination(const FileIdentity& source, const FileIdentity& linkTarget) {
    const auto folder = steps_.inspect(destinationFolder_, LinkHandling::Follow);
    if (!folder.ok()) {
        return fail(folder.failure());
    }
    if (folder.value().kind == EntryKind::Missing) {
        return folder.value().missing == ErrorCode::NotAFolder
                   ? fail(ErrorCode::NotAFolder, Detail::DestinationPathThroughFile)
                   : fail(ErrorCode::FolderNotFound, Detail::DestinationFolderMissing);
    }
    if (folder.value().kind != EntryKind::Folder) {
        return fail(ErrorCode::NotAFolder, Detail::DestinationFolderIsFile);
    }
    const auto target = steps_.inspect(hostDestination_, LinkHandling::Follow);
    if (!target.ok()) {
        return fail(target.failure());
    }
    const EntryFacts& existing = target.value();
    if (existing.kind == EntryKind::Missing) {
        return Status::success();
    }
    if (existing.kind == EntryKind::Folder) {
        return fail(ErrorCode::IsFolder, Detail::DestinationIsFolder);
    }
    // hard links and case variants included; a link is the same as the file it points to
    if (existing.identity == source ||
        (linkTarget != FileIdentity{} && existing.identity == linkTarget)) {
        return fail(ErrorCode::SameFile);
    }
    // as on Windows, a read-only file is neither overwritten nor replaced
    if (existing.readOnly) {
        return fail(ErrorCode::ReadOnly, Detail::DestinationReadOnly);
    }
    destinationExists_ = true;
    // a file of that name in another case is replaced under its own name
    if (!existing.ownPath.empty()) {
        hostDestination_ = existing.ownPath;
    }
    return Status::success();
}

Status FileOperation::recheckDestination() {
    // It may have become read-only while a prepared copy waited; Wine and POSIX would replace
    // it regardless.
    const auto target = steps_.inspect(hostDestination_, LinkHandling::Follow);
    if (target.ok() && target.value().kind == EntryKind::File && target.value().readOnly) {
        return fail(ErrorCode::ReadOnly, Detail::DestinationReadOnly);
    }
    return Status::success();
}

Result<TemporaryFile> FileOperation::writeTemporary(SourceReader& reader, bool keepReadOnly,
                                                    CopyProgress* progress, ContentMaker* maker) {
    const auto created =
        run(FileStep::CreateTemporary, [&] { return steps_.createTemporary(destinationFolder_); });
    if (!created.ok()) {
        return fail(created.failure());
    }
    TemporaryFile temporary(steps_, created.value());
    const Status written = run(FileStep::WriteContent, [&] {
        return maker != nullptr ? makeContent(*maker, reader.facts(), temporary.path(), progress)
                                : copyContent(reader, temporary.path(), keepReadOnly, progress);
    });
    if (!written.ok()) {
        return fail(written.failure());
    }
    const Status flushed =
        run(FileStep::FlushTemporary, [&] { return steps_.flushTemporary(temporary.path()); });
    if (!flushed.ok()) {
        return fail(flushed.failure());
    }
    return temporary;
}

// Block by block, holes as holes, so that a sparse source gives a sparse copy and each block can
// be handed to another process.
Status FileOperation::copyContent(SourceReader& reader, const std::string& temporary,
                                  bool keepReadOnly, CopyProgress* progress) {
    ContentFacts facts = reader.facts();
    std::vector<char> block(
        static_cast<std::size_t>(std::min<std::uint64_t>(kLargestBlock, facts.size)));
    std::uint64_t offset = 0;
    while (offset < facts.size) {
        const auto extent = reader.extentAt(offset);
        if (!extent.ok()) {
            return extent.status();
        }
        const std::uint64_t end =
            std::min(facts.size, extent.value().offset + extent.value().length);
        if (end <= offset) {
            break;  // the file ended early: it shrank since it was opened
        }
        if (extent.value().hole) {
            if (Status hole = steps_.writeHole(temporary, offset, end - offset); !hole.ok()) {
                return hole;
            }
            offset = end;
        }
        while (offset < end) {
            const auto wanted =
                static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), end - offset));
            const auto got = reader.read(offset, std::span<char>(block.data(), wanted));
            if (!got.ok()) {
                return got.status();
            }
            if (got.value() == 0) {
                facts.size = offset;
                break;
            }
            const Status written = steps_.writeBlock(
                temporary, offset, std::span<const char>(block.data(), got.value()));
            if (!written.ok()) {
                return written;
            }
            offset += got.value();
            if (progress != nullptr && !progress->copied(offset, facts.size)) {
                return Failure{ErrorCode::Cancelled, {}};
            }
        }
    }
    return steps_.finishTemporary(temporary, facts, keepReadOnly);
}

namespace {

// The maker's blocks into the temporary, and how far the furthest reaches.
class TemporaryOutput final : public ContentOutput {
public:
    TemporaryOutput(FileSteps& steps, const std::string& temporary)
        : steps_(steps), temporary_(temporary) {}

    Status write(std::uint64_t offset, std::span<const char> bytes) override {
        if (Status written = steps_.writeBlock(temporary_, offset, bytes); !written.ok()) {
            return written;
        }
        end = std::max(end, offset + bytes.size());
        return Status::success();
    }

    std::uint64_t end = 0;

private:
    FileSteps& steps_;
    const std::string& temporary_;
};

}  // namespace

Status FileOperation::makeContent(ContentMaker& maker, ContentFacts facts,
                                  const std::string& temporary, CopyProgress* progress) {
    TemporaryOutput output(steps_, temporary);
    if (Status made = maker.make(output, progress); !made.ok()) {
        return made;
    }
    facts.size = output.end;
    return steps_.finishTemporary(temporary, facts, false);
}

bool FileOperation::stillThere(const std::string& path) {
    // Only an entry seen counts: a file whose delete waits for its last holder on Windows can
    // no longer be asked about, and goes when that program lets it go.
    const auto left = steps_.inspect(path, LinkHandling::Itself);
    return left.ok() && left.value().kind != EntryKind::Missing;
}

std::string FileOperation::shownKept(const std::string& keptPath) const {
    return files_.displayPath(
        winpath::join(winpath::folder(destination_), winpath::fileName(keptPath)));
}

Result<TemporaryFile> FileOperation::copyToTemporary(CopyProgress* progress, ContentMaker* maker) {
    if (Status resolved = resolvePaths(); !resolved.ok()) {
        return resolved.failure();
    }
    const auto source = steps_.inspect(hostSource_, LinkHandling::Follow);
    if (!source.ok()) {
        return fail(source.failure());
    }
    if (Status usable = checkSource(source.value()); !usable.ok()) {
        return usable.failure();
    }
    auto reader = files_.openSource(hostSource_);
    if (!reader.ok()) {
        return fail(reader.failure());
    }
    if (Status replaceable = checkDestination(reader.value()->facts().identity);
        !replaceable.ok()) {
        return replaceable.failure();
    }
    return writeTemporary(*reader.value(), false, progress, maker);
}

Result<std::unique_ptr<PreparedCopy>> TransactionalFileSystem::prepareCopy(
    std::string_view source, std::string_view destination, CopyProgress* progress,
    ContentMaker* maker) {
    FileOperation operation(*this, FileOperation::Kind::Copy, source, destination);
    auto temporary = operation.copyToTemporary(progress, maker);
    if (!temporary.ok()) {
        return temporary.failure();
    }
    return std::unique_ptr<PreparedCopy>(
        std::make_unique<TransactionCopy>(std::move(operation), std::move(temporary).value()));
}

Result<std::unique_ptr<SourceReader>> TransactionalFileSystem::openToRead(std::string_view path) {
    if (winpath::endsWithSeparator(path)) {
        return failure_text::because(ErrorCode::IsFolder, failure_text::Detail::SourceIsFolder);
    }
    const auto host = hostPath(path);
    if (!host.ok()) {
        return host.failure();
    }
    return openSource(host.value());
}

}  // namespace zorvik
