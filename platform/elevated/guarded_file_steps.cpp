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

bool isLeftTemporary(std::string_view name) {
    const std::string folded = text::foldCase(name);
    return folded.size() > 16 && folded.starts_with(temporary_names::kCopyPrefix) &&
           folded.ends_with(temporary_names::kSuffix);
}

}  // namespace

GuardedFileSteps::GuardedFileSteps(FileSteps& inner, MelodyPlaces places)
    : inner_(inner), places_(std::move(places)) {}

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
    if (!isPlace(folder)) {
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
    return inner_.writeBlock(temporary, offset, bytes);
}

Status GuardedFileSteps::writeHole(const std::string& temporary, std::uint64_t offset,
                                   std::uint64_t length) {
    if (Status own = ownFile(temporary); !own.ok()) {
        return own;
    }
    return inner_.writeHole(temporary, offset, length);
}

Status GuardedFileSteps::finishTemporary(const std::string& temporary, const ContentFacts& facts,
                                         bool keepReadOnly) {
    if (Status own = ownFile(temporary); !own.ok()) {
        return own;
    }
    return inner_.finishTemporary(temporary, facts, keepReadOnly);
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
