// The primitive steps in memory, so that the core's tests go through the very transaction the
// real machines run: what the tables prove of the real steps, these promise.
#include <cstring>
#include <utility>

#include "platform/temporary_names.h"
#include "platform/windows_path.h"
#include "tests/support/fake_file_nodes.h"
#include "tests/support/fake_file_system.h"

namespace zorvik::testing {

namespace {

using temporary_names::kKeptPrefix;
constexpr std::string_view kTemporaryPrefix = temporary_names::kCopyPrefix;

std::uint64_t addressOf(const void* pointer) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(pointer));
}

// Each drive is a volume.
std::uint64_t volumeOf(std::string_view path) {
    return path.empty() ? 0
                        : static_cast<std::uint64_t>(
                              text::toUpper(static_cast<unsigned char>(path.front())));
}

class FakeReader final : public SourceReader {
public:
    FakeReader(std::string bytes, ContentFacts facts, std::optional<Failure> readFails)
        : bytes_(std::move(bytes)), facts_(std::move(facts)), readFails_(std::move(readFails)) {}
    const ContentFacts& facts() const override { return facts_; }
    Result<Extent> extentAt(std::uint64_t offset) override {
        return Extent{offset, facts_.size - offset, false};
    }
    Result<std::size_t> read(std::uint64_t offset, std::span<char> into) override {
        if (readFails_) {
            return *readFails_;
        }
        if (offset >= bytes_.size()) {
            return std::size_t{0};
        }
        const std::size_t count =
            std::min(into.size(), bytes_.size() - static_cast<std::size_t>(offset));
        std::memcpy(into.data(), bytes_.data() + offset, count);
        return count;
    }

private:
    std::string bytes_;
    ContentFacts facts_;
    std::optional<Failure> readFails_;
};

}  // namespace

class FakeFileSystem::Steps final : public FileSteps {
public:
    Steps(FakeFileSystem& files, bool administrator)
        : files_(files), administrator_(administrator) {}

    Result<EntryFacts> inspect(const std::string& path, LinkHandling links) override {
        if (auto fails = files_.useFails(Use::Look, path)) {
            return *fails;
        }
        EntryFacts facts;
        const auto located = files_.locate(path, false);
        if (!located.ok()) {
            const ErrorCode code = located.failure().code;
            if (code != ErrorCode::FolderNotFound && code != ErrorCode::NotAFolder) {
                return located.failure();
            }
            facts.missing = code;
            return facts;
        }
        const Node* node = located.value().node;
        if (node == nullptr) {
            return facts;
        }
        facts.kind = node->link && links == LinkHandling::Itself ? EntryKind::Link
                     : node->folder                              ? EntryKind::Folder
                                                                 : EntryKind::File;
        facts.readOnly = !node->folder && node->file->readOnly;
        facts.identity = {volumeOf(path),
                          node->folder ? addressOf(node) : addressOf(node->file.get())};
        if (!node->folder) {
            facts.size = node->file->bytes.size();
            facts.modified = node->file->modified;
        }
        if (located.value().parent != nullptr) {
            facts.ownPath = winpath::join(winpath::folder(path), node->name);
        }
        return facts;
    }

    Status checkRemovable(const std::string& path) override {
        return rightsOver(winpath::folder(path));
    }

    Result<std::string> createTemporary(const std::string& folder) override {
        if (Status allowed = rightsOver(folder); !allowed.ok()) {
            return allowed.failure();
        }
        return makeFile(folder, kTemporaryPrefix, std::make_shared<FakeFileData>());
    }

    Status writeBlock(const std::string& temporary, std::uint64_t offset,
                      std::span<const char> bytes) override {
        return changeHeld(temporary, [&](FakeFileData& file) {
            const auto at = static_cast<std::size_t>(offset);
            file.bytes.resize(std::max(file.bytes.size(), at + bytes.size()));
            std::memcpy(file.bytes.data() + at, bytes.data(), bytes.size());
            file.modified = FakeFileData::nextModification();
        });
    }
    Status writeHole(const std::string& temporary, std::uint64_t offset,
                     std::uint64_t length) override {
        return changeHeld(temporary, [&](FakeFileData& file) {
            file.bytes.resize(static_cast<std::size_t>(offset + length));
        });
    }
    Status finishTemporary(const std::string& temporary, const ContentFacts& facts,
                           bool keepReadOnly) override {
        return changeHeld(temporary, [&](FakeFileData& file) {
            file.bytes.resize(static_cast<std::size_t>(facts.size));
            file.readOnly = keepReadOnly && facts.readOnly;
            file.modified = facts.modified;  // the copy keeps the source's time
        });
    }
    Status flushTemporary(const std::string&) override { return Status::success(); }

    Status renameIntoPlace(const std::string& temporary, const std::string& destination) override {
        if (Status allowed = rightsOver(winpath::folder(destination)); !allowed.ok()) {
            return allowed;
        }
        return renameOver(temporary, destination);
    }

    void removeTemporary(const std::string& temporary) override { files_.remove(temporary); }

    void letGo(const std::string& temporary) override {
        if (Node* node = files_.find(temporary)) {
            node->held = false;
        }
    }

    Status moveInOneStep(const std::string& from, const std::string& to) override {
        if (volumeOf(from) != volumeOf(to)) {
            return Failure{ErrorCode::NotSameVolume, {}};
        }
        if (Status removable = checkRemovable(from); !removable.ok()) {
            return removable;
        }
        if (Status allowed = rightsOver(winpath::folder(to)); !allowed.ok()) {
            return allowed;
        }
        return renameOver(from, to);
    }

    Result<KeptAside> keepAside(const std::string& destination,
                                const std::string& keptPath) override {
        // a second name of the same file, as a hard link; else the destination steps aside
        if (Status allowed = rightsOver(winpath::folder(destination)); !allowed.ok()) {
            return allowed.failure();
        }
        const Node* existing = files_.find(destination);
        if (existing == nullptr || existing->folder) {
            return Failure{ErrorCode::NotFound, {}};
        }
        if (files_.find(keptPath) != nullptr) {
            return Failure{ErrorCode::Other, "exists"};
        }
        const auto kept = makeFile(std::string(winpath::folder(destination)), kKeptPrefix,
                                   existing->file, std::string(winpath::fileName(keptPath)));
        if (!kept.ok()) {
            return kept.failure();
        }
        if (!files_.hardLinks_) {
            files_.remove(destination);
        }
        return KeptAside{kept.value(), files_.hardLinks_};
    }

    Status putBack(const std::string& kept, const std::string& destination) override {
        if (Status allowed = rightsOver(winpath::folder(destination)); !allowed.ok()) {
            return allowed;
        }
        return renameOver(kept, destination, true);
    }

    Status removeFile(const std::string& path, bool evenReadOnly) override {
        if (Status allowed = rightsOver(winpath::folder(path)); !allowed.ok()) {
            return allowed;
        }
        const Node* node = files_.find(path);
        if (node == nullptr || node->folder) {
            return Failure{ErrorCode::NotFound, {}};
        }
        if (node->file->readOnly && !evenReadOnly) {
            return Failure{ErrorCode::AccessDenied, {}};
        }
        files_.remove(path);
        return Status::success();
    }

    void syncFolder(const std::string&) override {}

    void removeAbandonedTemporaries(const std::string& folder) override {
        Node* node = files_.find(folder);
        if (node == nullptr || !node->folder || !rightsOver(folder).ok()) {
            return;
        }
        std::erase_if(node->children, [](const std::unique_ptr<Node>& each) {
            return !each->held && temporary_names::isGiven(each->name, kTemporaryPrefix);
        });
    }

private:
    // Program Files on Windows: only an elevated process changes what such a folder holds.
    Status rightsOver(std::string_view folder) const {
        for (const std::string& guarded : files_.administratorsOnly_) {
            if (!administrator_ && winpath::samePath(guarded, folder)) {
                return Failure{ErrorCode::AccessDenied, {}};
            }
        }
        return Status::success();
    }

    // A temporary's content changed, while it is one of this machine's files.
    template <typename Change>
    Status changeHeld(const std::string& temporary, Change change) {
        Node* node = files_.find(temporary);
        if (node == nullptr || node->folder) {
            return Failure{ErrorCode::NotFound, {}};
        }
        change(*node->file);
        return Status::success();
    }

    Result<std::string> makeFile(const std::string& folder, std::string_view prefix,
                                 std::shared_ptr<FakeFileData> data, std::string name = {}) {
        Node* parent = files_.find(folder);
        if (parent == nullptr || !parent->folder) {
            return Failure{ErrorCode::FolderNotFound, {}};
        }
        auto file = std::make_unique<Node>();
        file->name = !name.empty() ? std::move(name)
                                   : std::string(prefix) + std::to_string(++made_) + ".tmp";
        file->folder = false;
        file->held = true;
        file->file = std::move(data);
        const std::string path = winpath::join(folder, file->name);
        parent->children.push_back(std::move(file));
        return path;
    }

    // What Windows refuses of a rename over a file: a read-only one (unless it is the copy being
    // taken back).
    Status renameOver(const std::string& from, const std::string& to, bool evenReadOnly = false) {
        const auto target = files_.locate(to, false);
        if (!target.ok() || target.value().parent == nullptr) {
            return Failure{ErrorCode::FolderNotFound, {}};
        }
        if (const Node* existing = target.value().node; existing != nullptr) {
            if (existing->folder) {
                return Failure{ErrorCode::IsFolder, {}};
            }
            if (existing->file->readOnly && !evenReadOnly) {
                return Failure{ErrorCode::AccessDenied, {}};
            }
        }
        const auto source = files_.locate(from, false);
        if (!source.ok() || source.value().node == nullptr) {
            return Failure{ErrorCode::NotFound, {}};
        }
        std::unique_ptr<Node> moved = source.value().parent->detach(source.value().node);
        moved->held = false;
        files_.place(std::move(moved), target.value());
        return Status::success();
    }

    FakeFileSystem& files_;
    bool administrator_;
    int made_ = 0;
};

FakeFileSystem::FakeFileSystem()
    : root_(std::make_unique<Node>()),
      steps_(std::make_unique<Steps>(*this, false)),
      administratorSteps_(std::make_unique<Steps>(*this, true)) {
    setStepFaults(*this, [this](FileStep step) -> std::optional<StepFault> {
        const auto found = faults_.find(step);
        if (found == faults_.end()) {
            return std::nullopt;
        }
        StepFault fault = std::move(found->second);
        faults_.erase(found);
        return fault;
    });
}

FakeFileSystem::~FakeFileSystem() = default;

FileSteps& FakeFileSystem::steps() {
    return *steps_;
}

FileSteps& FakeFileSystem::administratorSteps() {
    return *administratorSteps_;
}

Result<std::unique_ptr<SourceReader>> FakeFileSystem::openSource(const std::string& hostPath) {
    if (auto fails = useFails(Use::Open, hostPath)) {
        return *fails;
    }
    const Node* node = find(hostPath);
    if (node == nullptr || node->folder) {
        return Failure{ErrorCode::NotFound, {}};
    }
    ContentFacts facts;
    facts.size = node->file->bytes.size();
    facts.modified = node->file->modified;
    facts.readOnly = node->file->readOnly;
    facts.identity = {volumeOf(hostPath), addressOf(node->file.get())};
    return std::unique_ptr<SourceReader>(std::make_unique<FakeReader>(
        node->file->bytes, std::move(facts), useFails(Use::Read, hostPath)));
}

void FakeFileSystem::place(std::unique_ptr<Node> node, const Located& target) {
    Node* folder = target.parent;
    node->name = target.node != nullptr ? target.node->name : target.name;
    if (target.node != nullptr) {
        folder->detach(target.node);
    }
    folder->children.push_back(std::move(node));
}

}  // namespace zorvik::testing
