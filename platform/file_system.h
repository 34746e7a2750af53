#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_steps.h"
#include "platform/status.h"

namespace zorvik {

// The most a copy writes in one step: enough that a big melody takes few, little enough for a
// message to an elevated process and for a progress dialog that moves.
inline constexpr std::size_t kLargestBlock = std::size_t{1} << 20;

// A copy written to a temporary file beside its destination and not yet in place. Destroying it
// without commit() removes the temporary file, so the destination never changes.
class PreparedCopy {
public:
    virtual ~PreparedCopy() = default;
    // Puts the copy in place of the destination in one atomic step (the old content or the whole
    // new one, never a part). At most once.
    virtual Status commit() = 0;
    // The temporary file's name, beside the destination, for a record that must find it after
    // a crash.
    virtual std::string temporaryName() const = 0;
    // Given up, the copy stays on disk (no longer held) instead of being removed: something
    // still names it.
    virtual void keepTemporary() = 0;
};

// Told how far a copy has come, after each block; a large copy runs behind a dialog that shows
// this and offers to cancel.
class CopyProgress {
public:
    virtual ~CopyProgress() = default;
    // false cancels the copy, which then leaves everything as it was, no temporary file behind.
    virtual bool copied(std::uint64_t done, std::uint64_t total) = 0;
};

// Where content made for a copy goes: its temporary file beside the destination.
class ContentOutput {
public:
    virtual ~ContentOutput() = default;
    // `bytes` (at most kLargestBlock) at `offset`. A stretch may be written again: a header that
    // holds the length once the length is known.
    virtual Status write(std::uint64_t offset, std::span<const char> bytes) = 0;
};

// Content made from the source as it is read, in place of the source's own bytes: a sound that
// becomes a melody. The copy stays a copy in all else (its checks, its temporary, its flush and
// its rename), so it is as safe.
class ContentMaker {
public:
    virtual ~ContentMaker() = default;
    // Writes the whole content through `out`, telling `progress` (where given) how far it has
    // come; Cancelled when the progress said to stop. The content ends where its furthest
    // stretch ends. A failure's message is a reason only: the copy names the files.
    virtual Status make(ContentOutput& out, CopyProgress* progress) = 0;
};

// A move across volumes as it is recorded before its copy takes the destination's place: what
// a start after a kill needs to finish it, and to act on the very files the move made, never on
// others that came to bear their names.
struct MoveRecord {
    std::string source;  // Windows paths
    std::string destination;
    std::string kept;      // where an older namesake waits aside meanwhile; "" for none
    FileStamp copy = {};   // the copy, which becomes the destination
    FileStamp older = {};  // the older namesake, which `kept` names (none: nothing)
    friend bool operator==(const MoveRecord&, const MoveRecord&) = default;
};

// Told of a move that goes across volumes in steps a kill can cut: recorded just before its copy
// takes the destination's place, and forgotten once the move is whole or undone.
class MoveJournal {
public:
    virtual ~MoveJournal() = default;
    // A failure stops the move there, with nothing changed.
    virtual Status recordMove(const MoveRecord& move) = 0;
    virtual void forgetMove() = 0;
};

// Runs the copy inside a longer operation (a move across volumes) where its progress can be
// shown: `copy` once, given what it tells how far it has come. false: the copy is undone, though
// it may have run to its end (cancelled after its last report).
using CopyRunner = std::function<bool(const std::function<void(CopyProgress&)>& copy)>;

// The files of the melody folders, reached by Windows-form paths.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The names, without folder, of the files (not folders) of `folder` that match "*.wav" ignoring
    // case, sorted by name ignoring case. Names that Windows cannot hold are left out. Fails with
    // FolderNotFound when the folder does not exist.
    virtual Result<std::vector<std::string>> listMelodies(std::string_view folder) const = 0;

    // The name under which `folder` holds the melody that `name` names, as Windows matches
    // names: the exact name, else one that differs only in case. nullopt when it holds none, or
    // cannot be read (the operation that follows then says why).
    std::optional<std::string> melodyNamed(std::string_view folder, std::string_view name) const;

    // The copy, its first half: every check and the whole copy, to a temporary file beside the
    // destination, telling `progress` (where given) how far it has come. Nothing at the
    // destination changes until commit(), which replaces a file of that name there atomically.
    // Fails when the source is missing or a folder, when the destination folder is missing,
    // with ReadOnly when the destination is a read-only file, with SameFile when both name one
    // file on disk, and Cancelled when the progress said to stop. Where `maker` is given, what
    // it makes from the source is written in place of the source's bytes.
    virtual Result<std::unique_ptr<PreparedCopy>> prepareCopy(std::string_view source,
                                                              std::string_view destination,
                                                              CopyProgress* progress = nullptr,
                                                              ContentMaker* maker = nullptr) = 0;

    // Opens a file to read it, in this process, following a link: what a copy of it would read.
    // The failure's message is a reason only.
    virtual Result<std::unique_ptr<SourceReader>> openToRead(std::string_view path) = 0;

    // Moves one file, all or nothing: afterwards the file is at the destination (replacing a
    // file of that name there) and gone from the source, or nothing changed in either folder.
    // A read-only source moves, as on Windows; a read-only destination is not replaced. A link
    // moves as itself, never the file it points to. Recorded in `journal` (where given) while a
    // kill could leave it in both folders. Should it have to copy (across volumes), the copy,
    // and only the copy, runs through `runCopy` (where not empty); Cancelled, with nothing
    // changed, when its progress said to stop.
    virtual Status moveFile(std::string_view source, std::string_view destination,
                            MoveJournal* journal = nullptr, const CopyRunner& runCopy = {}) = 0;
    // Deletes the one file named; a path that ends in a separator names no file. A read-only file
    // is not deleted. A link is deleted as itself, never the file it points to.
    virtual Status deleteFile(std::string_view path) = 0;

    // Whether anything is at `path` (a link counts as itself, not as what it points to).
    virtual Result<bool> exists(std::string_view path) = 0;

    // Removes the temporary files this program left in `folder` where no running copy of it
    // still writes them. Nothing to report: what cannot go now goes another time.
    virtual void removeAbandonedTemporaries(std::string_view folder) = 0;

    // The host's own path for a Windows-form path, for services that open files themselves.
    virtual Result<std::string> hostPath(std::string_view path) const = 0;

    // A path as the user knows it on this machine, for messages.
    virtual std::string displayPath(std::string_view path) const { return std::string(path); }
};

}  // namespace zorvik
