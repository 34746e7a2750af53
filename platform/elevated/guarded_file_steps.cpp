#include "platform/elevated/guarded_file_steps.h"

#include "platform/failure_text.h"
#include "platform/temporary_names.h"
#include "platform/windows_path.h"
#include "platform/windows_text.h"

namespace zorvik::elevated {

namespace {

using failure_text::Detail;

Failure refused(Detail detail) {
    return failure_text::because(ErrorCode::Unsupported, detail);
}

// Windows matches names ignoring case, so both sides are folded.
bool isLeftTemporary(std::string_view name) {
    const std::string folded = text::foldCase(name);
    return folded.size() > temporary_names::kCopyPrefix.size() + temporary_names::kSuffix.size() &&
           folded.starts_with(text::foldCase(temporary_names::kCopyPrefix)) &&
           folded.ends_with(text::foldCase(temporary_names::kSuffix));
}

// No melody is larger than a RIFF file can be, nor is a copy of one.
constexpr std::uint64_t kLargestTemporary = (std::uint64_t{1} << 32) + 8;
// A copy and a kept-aside namesake at a time, with room to spare: a client that asks for more
// is filling the install folder.
constexpr std::size_t kMostHeldAtOnce = 4;
// The attribute bits a client may finish a file with, in Windows' terms, the only host an elevated
// process runs on (read-only, archive, not indexed): it hides nothing from the user and passes
// nothing off as the system's. A ring file that was hidden stays so by the replace itself, which
// keeps what the replaced file had.
constexpr std::uint32_t kFinishedAttributes = 0x1 | 0x20 | 0x2000;

bool fitsTemporary(std::uint64_t offset, std::uint64_t length) {
    return offset <= kLargestTemporary && length <= kLargestTemporary - offset;
}

}  // namespace

GuardedFileSteps::GuardedFileSteps(FileSteps& inner, MelodyPlaces places)
    : inner_(inner), places_(std::move(places)) {}

GuardedFileSteps::~GuardedFileSteps() {
    // however the client ended: its unplaced copies go, older namesakes kept aside stay
    for (const std::string& held : own_) {
        if (isLeftTemporary(winpath::fileName(held))) {
            inner_.removeTemporary(held);
        } else {
            inner_.letGo(held);
        }
    }
}

bool GuardedFileSteps::isPlace(const std::string& folder) {
    for (const std::string* place :
         {&places_.installFolder, &places_.ringsFolder, &places_.deletedFolder}) {
        if (text::equalsIgnoringCase(folder, *place)) {
            // a place that is itself a link could lead anywhere
            const auto facts = inner_.inspect(folder, LinkHandling::Itself);
            return facts.ok() && facts.value().kind == EntryKind::Folder;
        }
    }
    return false;
}

Status GuardedFileSteps::allowed(const std::string& path, std::initializer_list<Use> uses) {
    const std::string folder(winpath::folder(path));
    const std::string_view name = winpath::fileName(path);
    if (!text::isValidWindowsName(name)) {
        return failure_text::because(ErrorCode::InvalidName, Detail::NoFileNamed);
    }
    const bool inInstallFolder = text::equalsIgnoringCase(folder, places_.installFolder);
    bool fits = false;
    for (const Use use : uses) {
        switch (use) {
            case Use::Melody:
                fits = fits || (!inInstallFolder && text::matchesWavPattern(name));
                break;
            case Use::RingFile:
                fits = fits ||
                       (inInstallFolder && text::equalsIgnoringCase(name, places_.ringFileName));
                break;
            case Use::LeftTemporary:
                fits = fits || isLeftTemporary(name);
                break;
        }
    }
    if (!fits || !isPlace(folder)) {
        return refused(Detail::OutsideMelodyFolders);
    }
    const auto facts = inner_.inspect(path, LinkHandling::Itself);
    if (!facts.ok()) {
        return facts.status();
    }
    if (facts.value().kind != EntryKind::File && facts.value().kind != EntryKind::Missing) {
        return refused(Detail::LinkNotActedOnItself);
    }
    // a short alias ("NOTE~1.WAV") matches where the file's own name does not
    const std::string& ownPath = facts.value().ownPath;
    if (facts.value().kind == EntryKind::File && !ownPath.empty() &&
        !text::equalsIgnoringCase(winpath::fileName(ownPath), name)) {
        return refused(Detail::OutsideMelodyFolders);
    }
    return Status::success();
}

Status GuardedFileSteps::ownFile(const std::string& path) const {
    return own_.contains(path) ? Status::success() : refused(Detail::OutsideMelodyFolders);
}

Result<EntryFacts> GuardedFileSteps::inspect(const std::string& path, LinkHandling links) {
    // never asked across: the user's own process looks for itself
    return inner_.inspect(path, links);
}

Status GuardedFileSteps::checkRemovable(const std::string& path) {
    if (Status place = allowed(path, {Use::Melody}); !place.ok()) {
        return place;
    }
    return inner_.checkRemovable(path);
}

Result<std::string> GuardedFileSteps::createTemporary(const std::string& folder) {
    if (own_.size() >= kMostHeldAtOnce || !isPlace(folder)) {
        return refused(Detail::OutsideMelodyFolders);
    }
    auto made = inner_.createTemporary(folder);
    if (made.ok()) {
        own_.insert(made.value());
    }
    return made;
}

Status GuardedFileSteps::writeBlock(const std::string& temporary, std::uint64_t offset,
                                    std::span<const char> bytes) {
    if (Status own = ownFile(temporary); !own.ok()) {
        return own;
    }
    if (!fitsTemporary(offset, bytes.size())) {
        return refused(Detail::OutsideMelodyFolders);
    }
    return inner_.writeBlock(temporary, offset, bytes);
}

Status GuardedFileSteps::writeHole(const std::string& temporary, std::uint64_t offset,
                                   std::uint64_t length) {
    if (Status own = ownFile(temporary); !own.ok()) {
        return own;
    }
    if (!fitsTemporary(offset, length)) {
        return refused(Detail::OutsideMelodyFolders);
    }
    return inner_.writeHole(temporary, offset, length);
}

Status GuardedFileSteps::finishTemporary(const std::string& temporary, const ContentFacts& facts,
                                         bool keepReadOnly) {
    if (Status own = ownFile(temporary); !own.ok()) {
        return own;
    }
    if (!fitsTemporary(0, facts.size)) {
        return refused(Detail::OutsideMelodyFolders);
    }
    ContentFacts finished = facts;
    finished.attributes &= kFinishedAttributes;
    return inner_.finishTemporary(temporary, finished, keepReadOnly);
}

Status GuardedFileSteps::flushTemporary(const std::string& temporary) {
    if (Status own = ownFile(temporary); !own.ok()) {
        return own;
    }
    return inner_.flushTemporary(temporary);
}

Status GuardedFileSteps::renameIntoPlace(const std::string& temporary,
                                         const std::string& destination) {
    if (Status own = ownFile(temporary); !own.ok()) {
        return own;
    }
    if (Status place = allowed(destination, {Use::Melody, Use::RingFile}); !place.ok()) {
        return place;
    }
    const Status placed = inner_.renameIntoPlace(temporary, destination);
    if (placed.ok()) {
        own_.erase(temporary);
    }
    return placed;
}

void GuardedFileSteps::removeTemporary(const std::string& temporary) {
    if (own_.erase(temporary) != 0) {
        inner_.removeTemporary(temporary);
    }
}

void GuardedFileSteps::letGo(const std::string& temporary) {
    if (own_.erase(temporary) != 0) {
        inner_.letGo(temporary);
    }
}

Status GuardedFileSteps::moveInOneStep(const std::string& from, const std::string& to) {
    if (Status place = allowed(from, {Use::Melody}); !place.ok()) {
        return place;
    }
    if (Status place = allowed(to, {Use::Melody}); !place.ok()) {
        return place;
    }
    return inner_.moveInOneStep(from, to);
}

Result<KeptAside> GuardedFileSteps::keepAside(const std::string& destination,
                                              const std::string& keptPath) {
    if (own_.size() >= kMostHeldAtOnce) {
        return refused(Detail::OutsideMelodyFolders);
    }
    if (Status place = allowed(destination, {Use::Melody}); !place.ok()) {
        return place.failure();
    }
    if (winpath::folder(keptPath) != winpath::folder(destination) ||
        !temporary_names::isGiven(winpath::fileName(keptPath), temporary_names::kKeptPrefix)) {
        return failure_text::because(ErrorCode::InvalidName, Detail::NoFileNamed);
    }
    auto kept = inner_.keepAside(destination, keptPath);
    if (kept.ok()) {
        own_.insert(kept.value().path);
    }
    return kept;
}

Status GuardedFileSteps::putBack(const std::string& kept, const std::string& destination) {
    if (Status own = ownFile(kept); !own.ok()) {
        return own;
    }
    if (Status place = allowed(destination, {Use::Melody}); !place.ok()) {
        return place;
    }
    const Status back = inner_.putBack(kept, destination);
    if (back.ok()) {
        own_.erase(kept);
    }
    return back;
}

Status GuardedFileSteps::removeFile(const std::string& path, bool evenReadOnly) {
    if (Status place = allowed(path, {Use::Melody, Use::LeftTemporary}); !place.ok()) {
        return place;
    }
    return inner_.removeFile(path, evenReadOnly);
}

void GuardedFileSteps::syncFolder(const std::string& folder) {
    if (isPlace(folder)) {
        inner_.syncFolder(folder);
    }
}

void GuardedFileSteps::removeAbandonedTemporaries(const std::string& folder) {
    if (isPlace(folder)) {
        inner_.removeAbandonedTemporaries(folder);
    }
}

}  // namespace zorvik::elevated
