#include "platform/elevated/guarded_file_steps.h"

#include "platform/temporary_names.h"
#include "platform/windows_path.h"
#include "platform/windows_text.h"
#include "texts/failure_text.h"

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
    // however the client ended: its unplaced copies go, and the names it kept a melody under
    // while that melody is still in its place; an older namesake whose place a copy took stays,
    // the only copy of it, for the user's journal to settle
    for (const std::string& held : held_) {
        if (isLeftTemporary(winpath::fileName(held))) {
            inner_.removeTemporary(held);
        }
    }
    for (const auto& [kept, destination] : kept_) {
        if (stillASecondName(kept, destination)) {
            inner_.removeTemporary(kept);
        } else if (held_.contains(kept)) {
            inner_.letGo(kept);
        }
    }
}

std::size_t GuardedFileSteps::standing() const {
    std::size_t count = held_.size();
    for (const auto& each : kept_) {
        count += held_.contains(each.first) ? 0u : 1u;
    }
    return count;
}

bool GuardedFileSteps::stillASecondName(const std::string& kept, const std::string& destination) {
    const auto aside = inner_.inspect(kept, LinkHandling::Itself);
    const auto there = inner_.inspect(destination, LinkHandling::Itself);
    return aside.ok() && there.ok() && aside.value().kind == EntryKind::File &&
           there.value().kind == EntryKind::File &&
           aside.value().identity == there.value().identity;
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
    if (!fits) {
        return refused(Detail::OutsideMelodyFolders);
    }
    if (!isPlace(folder)) {
        return refused(Detail::NotAMelodyPlace);
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
    return held_.contains(path) ? Status::success() : refused(Detail::NotItsOwnFile);
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
    if (standing() >= kMostHeldAtOnce) {
        return refused(Detail::TooManyAtOnce);
    }
    if (!isPlace(folder)) {
        return refused(Detail::NotAMelodyPlace);
    }
    auto made = inner_.createTemporary(folder);
    if (made.ok()) {
        held_.insert(made.value());
    }
    return made;
}

Status GuardedFileSteps::writeBlock(const std::string& temporary, std::uint64_t offset,
                                    std::span<const char> bytes) {
    if (Status own = ownFile(temporary); !own.ok()) {
        return own;
    }
    if (!fitsTemporary(offset, bytes.size())) {
        return refused(Detail::LargerThanAMelody);
    }
    return inner_.writeBlock(temporary, offset, bytes);
}

Status GuardedFileSteps::writeHole(const std::string& temporary, std::uint64_t offset,
                                   std::uint64_t length) {
    if (Status own = ownFile(temporary); !own.ok()) {
        return own;
    }
    if (!fitsTemporary(offset, length)) {
        return refused(Detail::LargerThanAMelody);
    }
    return inner_.writeHole(temporary, offset, length);
}

Status GuardedFileSteps::finishTemporary(const std::string& temporary, const ContentFacts& facts,
                                         bool keepReadOnly) {
    if (Status own = ownFile(temporary); !own.ok()) {
        return own;
    }
    if (!fitsTemporary(0, facts.size)) {
        return refused(Detail::LargerThanAMelody);
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
        held_.erase(temporary);
        kept_.erase(temporary);
    }
    return placed;
}

void GuardedFileSteps::removeTemporary(const std::string& temporary) {
    // a kept name it let go is still its own to remove, once the move no longer needs it
    if (held_.erase(temporary) + kept_.erase(temporary) != 0) {
        inner_.removeTemporary(temporary);
    }
}

void GuardedFileSteps::letGo(const std::string& temporary) {
    if (held_.erase(temporary) != 0) {
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
    if (standing() >= kMostHeldAtOnce) {
        return refused(Detail::TooManyAtOnce);
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
        held_.insert(kept.value().path);
        kept_[kept.value().path] = destination;
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
        held_.erase(kept);
        kept_.erase(kept);
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
