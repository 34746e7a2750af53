#pragma once

#include <map>
#include <set>
#include <string>

#include "platform/file_steps.h"

namespace zorvik::elevated {

// The places the elevated process may change, in the host's own form: the install folder (for
// its ring file only), its Rings folder and the Deleted folder below.
struct MelodyPlaces {
    std::string installFolder;
    std::string ringsFolder;
    std::string deletedFolder;
    std::string ringFileName;  // in the install folder
};

// The steps as the elevated process carries them out for another, less trusted one: only on the
// melodies, the ring file and this program's temporaries in those places, never through a link,
// never on a name Windows cannot hold nor a short alias, only into files it made itself, a few
// at a time and no larger than a melody can be. Anything else is refused before the host sees
// it, each refusal with its own reason; what it made and did not place goes when it ends, a kept
// name too while it is only a second name of the melody it was kept from.
class GuardedFileSteps final : public FileSteps {
public:
    GuardedFileSteps(FileSteps& inner, MelodyPlaces places);
    ~GuardedFileSteps() override;
    GuardedFileSteps(const GuardedFileSteps&) = delete;
    GuardedFileSteps& operator=(const GuardedFileSteps&) = delete;

    Result<EntryFacts> inspect(const std::string& path, LinkHandling links) override;
    Status checkRemovable(const std::string& path) override;
    Result<std::string> createTemporary(const std::string& folder) override;
    Status writeBlock(const std::string& temporary, std::uint64_t offset,
                      std::span<const char> bytes) override;
    Status writeHole(const std::string& temporary, std::uint64_t offset,
                     std::uint64_t length) override;
    Status finishTemporary(const std::string& temporary, const ContentFacts& facts,
                           bool keepReadOnly) override;
    Status flushTemporary(const std::string& temporary) override;
    Status renameIntoPlace(const std::string& temporary, const std::string& destination) override;
    void removeTemporary(const std::string& temporary) override;
    void letGo(const std::string& temporary) override;
    Status moveInOneStep(const std::string& from, const std::string& to) override;
    Result<KeptAside> keepAside(const std::string& destination, const std::string& kept) override;
    Status putBack(const std::string& kept, const std::string& destination) override;
    Status removeFile(const std::string& path, bool evenReadOnly) override;
    void syncFolder(const std::string& folder) override;
    void removeAbandonedTemporaries(const std::string& folder) override;

private:
    enum class Use { Melody, RingFile, LeftTemporary };
    bool isPlace(const std::string& folder);
    // The path names a file of the kind `use` allows, in its place, and is no link.
    Status allowed(const std::string& path, std::initializer_list<Use> uses);
    Status ownFile(const std::string& path) const;
    // The files it made that stand: the copies and kept names it holds, and the kept names it
    // let go, which stay on disk. A client may have no more than a few at once.
    std::size_t standing() const;
    // Whether the kept name is still a second name of the destination it was kept from: then
    // removing it loses nothing.
    bool stillASecondName(const std::string& kept, const std::string& destination);

    FileSteps& inner_;
    MelodyPlaces places_;
    std::set<std::string> held_;               // the temporaries and kept names it holds
    std::map<std::string, std::string> kept_;  // every kept name it made, to its destination
};

}  // namespace zorvik::elevated
