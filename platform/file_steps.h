#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/status.h"

// The primitive steps of a copy, a move and a delete, which each host supplies; their order is
// the transaction's (file_transaction.h), written once for every host. Each step takes paths and
// small values and gives back a status whose message is only the reason, so that a step can be
// carried out in another process (an elevated one) and its answer sent back as it is. Paths are
// the host's own, as TransactionalFileSystem::resolve gives them.
namespace zorvik {

// The steps in the order a transaction takes them. A watch can make any of them fail, or pretend
// that it was done (TransactionalFileSystem::watchSteps).
enum class FileStep {
    CreateTemporary,  // a new temporary file beside the destination, held by its writer
    WriteContent,    // the source's bytes and holes into the temporary, and its time and attributes
    FlushTemporary,  // the temporary's content to disk
    MoveInOneStep,   // a move within one volume: one rename (NotSameVolume: the copying way)
    KeepAside,       // an older namesake kept under a temporary name until the move is whole
    RenameIntoPlace,  // the temporary over the destination
    SyncFolder,       // a folder's entries, the rename among them, to disk
    RemoveSource,     // the source of a move that went the copying way
    Restore,          // after a failure: the older namesake put back, or the new copy taken away
    RemoveFile,       // a delete
    DropKept,         // the older namesake kept aside, once the move is whole
};

// One file on disk, whatever its names (hard links, case variants).
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

enum class EntryKind {
    Missing,
    File,
    Folder,
    Link,        // a link the system shows as one: removed and renamed as itself
    UnseenLink,  // a link the system shows as a file, and would follow (a host link under Wine)
    Other,       // a device, a pipe: nothing a melody can be
};

// One file as it was at a moment: its identity, its size and its last write time (in the host's
// own units). A file ID alone may be given again to another file once this one is gone; with
// the size and the time it tells the very file a move made from any other, years later.
struct FileStamp {
    FileIdentity identity;
    std::uint64_t size = 0;
    std::uint64_t modified = 0;
    bool operator==(const FileStamp&) const = default;
};

// What a query found at a path.
struct EntryFacts {
    EntryKind kind = EntryKind::Missing;
    // Missing: NotFound (the folder is there), FolderNotFound or NotAFolder (the path goes on
    // below a file)
    ErrorCode missing = ErrorCode::NotFound;
    bool readOnly = false;
    FileIdentity identity;
    std::uint64_t size = 0;      // a file's
    std::uint64_t modified = 0;  // a file's last write, in the host's own units
    // the entry's path under its own name, which may differ in case from the one asked for
    std::string ownPath;

    FileStamp stamp() const { return {identity, size, modified}; }
};

enum class LinkHandling {
    Follow,  // the file a final link points to
    Itself,  // the entry itself
};

// What a copy takes over from its source, in the host's own terms (times, attribute bits).
struct ContentFacts {
    std::uint64_t size = 0;
    std::uint64_t modified = 0;
    std::uint64_t accessed = 0;
    std::uint32_t attributes = 0;
    bool readOnly = false;
    FileIdentity identity;
};

// A stretch of a file from `offset`: data to copy, or a hole that reads as zeros and takes no
// room on disk.
struct Extent {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    bool hole = false;
};

// A source opened for a copy. It lives in the process that asked for the copy, so that the
// content comes only from a file that process may read; its blocks then go to the steps.
class SourceReader {
public:
    virtual ~SourceReader() = default;
    virtual const ContentFacts& facts() const = 0;
    // The data or the hole that starts at `offset` (below facts().size).
    virtual Result<Extent> extentAt(std::uint64_t offset) = 0;
    // Up to into.size() bytes from `offset`; 0 at the end of the file.
    virtual Result<std::size_t> read(std::uint64_t offset, std::span<char> into) = 0;
};

// An older namesake kept aside: under `path`, and either as a second name of the same file
// (`linked`: the destination still holds it) or moved away from the destination.
struct KeptAside {
    std::string path;
    bool linked = false;
};

// The primitives. Every one names its files by path; the temporary and a kept-aside file are
// held open by the steps from their creation until they are renamed, removed or let go, so
// that a sweep of abandoned temporaries by another instance can tell them from its own.
class FileSteps {
public:
    virtual ~FileSteps() = default;

    // What is at `path`; a failure only where the system would not say.
    virtual Result<EntryFacts> inspect(const std::string& path, LinkHandling links) = 0;
    // Whether this process may take the file out of its folder (rights, another program
    // holding it), asked before a move does any work.
    virtual Status checkRemovable(const std::string& path) = 0;

    // A new temporary file in `folder`, named as temporary_names.h says, held; its path.
    virtual Result<std::string> createTemporary(const std::string& folder) = 0;
    virtual Status writeBlock(const std::string& temporary, std::uint64_t offset,
                              std::span<const char> bytes) = 0;
    virtual Status writeHole(const std::string& temporary, std::uint64_t offset,
                             std::uint64_t length) = 0;
    // The size, the times and (for a move, `keepReadOnly`) the attributes of the source.
    virtual Status finishTemporary(const std::string& temporary, const ContentFacts& facts,
                                   bool keepReadOnly) = 0;
    virtual Status flushTemporary(const std::string& temporary) = 0;
    // The temporary over `destination`, replacing a file there, in one atomic step; the hold
    // ends with it.
    virtual Status renameIntoPlace(const std::string& temporary,
                                   const std::string& destination) = 0;
    // Closes and removes a temporary or a kept-aside file; nothing to report when it fails.
    virtual void removeTemporary(const std::string& temporary) = 0;
    // Ends the hold on a temporary or a kept-aside file that stays on disk.
    virtual void letGo(const std::string& temporary) = 0;

    // A rename of `from` over `to`, as itself even when it is a link; NotSameVolume (and nothing
    // done) when the two lie on different volumes.
    virtual Status moveInOneStep(const std::string& from, const std::string& to) = 0;
    // `destination` kept under `kept` (temporary_names.h), a new name beside it that the
    // transaction chose, so that a journal names it before it exists; held. Fails, changing
    // nothing, where a file of that name is there already.
    virtual Result<KeptAside> keepAside(const std::string& destination,
                                        const std::string& kept) = 0;
    // A kept-aside file back over `destination`, whose new content (a moved file, read-only
    // perhaps) it replaces.
    virtual Status putBack(const std::string& kept, const std::string& destination) = 0;
    // Removes one file, as itself even when it is a link; `evenReadOnly` for a move's source.
    virtual Status removeFile(const std::string& path, bool evenReadOnly) = 0;
    // The folder's entries to disk. A failure changes nothing the user could act on.
    virtual void syncFolder(const std::string& folder) = 0;

    // Removes the temporaries of this program's in `folder` that no live writer holds.
    virtual void removeAbandonedTemporaries(const std::string& folder) = 0;
};

}  // namespace zorvik
