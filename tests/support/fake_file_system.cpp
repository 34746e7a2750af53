#include "tests/support/fake_file_system.h"

#include <algorithm>
#include <stdexcept>

#include "platform/failure_text.h"
#include "platform/windows_path.h"
#include "platform/windows_text.h"

namespace zorvik::testing {

namespace {

struct FileData {
    std::string bytes;
    bool readOnly = false;
    bool inUse = false;
};

// What a watch of a folder sees: every change counts, and a folder that is gone (or moved with
// a folder above it) has changed for good.
struct FolderState {
    std::uint64_t changes = 0;
};

// As the host reports them: a source below a missing folder is simply not there, a destination
// below one has no folder to go in.
template <typename Fail>
auto sourceFailure(const Failure& failure, const Fail& fail) {
    return failure.code == ErrorCode::FolderNotFound
               ? fail(ErrorCode::NotFound, "изходният файл не съществува")
               : fail(failure.code, failure.message);
}

template <typename Fail>
auto destinationFailure(const Failure& failure, const Fail& fail) {
    return failure.code == ErrorCode::FolderNotFound
               ? fail(ErrorCode::FolderNotFound, "папката на целта не съществува")
               : fail(failure.code, failure.message);
}

}  // namespace

struct FakeFileSystem::Node {
    std::string name;
    bool folder = true;
    std::shared_ptr<FileData> file;               // files
    std::vector<std::unique_ptr<Node>> children;  // folders
    std::shared_ptr<FolderState> state = std::make_shared<FolderState>();

    Node* child(std::string_view wanted) const {
        for (const auto& node : children) {
            if (text::equalsIgnoringCase(node->name, wanted)) {
                return node.get();
            }
        }
        return nullptr;
    }
    std::unique_ptr<Node> detach(const Node* node) {
        const auto found = std::find_if(children.begin(), children.end(),
                                        [&](const auto& each) { return each.get() == node; });
        std::unique_ptr<Node> taken = std::move(*found);
        children.erase(found);
        return taken;
    }
    // Everything below a folder that is moved or removed is somewhere else now.
    void markMoved() {
        ++state->changes;
        for (auto& each : children) {
            if (each->folder) {
                each->markMoved();
            }
        }
    }
};

// Where a path leads: the folder that holds (or would hold) it, and the entry when it exists.
struct FakeFileSystem::Located {
    Node* parent = nullptr;  // nullptr for a drive's root
    Node* node = nullptr;
    std::string name;  // the last component as given
};

struct FakeFileSystem::Transfer {
    Located from;
    Located to;
};

class FakeFileSystem::Prepared final : public PreparedCopy {
public:
    Prepared(FakeFileSystem& files, std::string source, std::string destination,
             std::string temporaryPath)
        : files_(files),
          source_(std::move(source)),
          destination_(std::move(destination)),
          temporary_(std::move(temporaryPath)) {}
    ~Prepared() override {
        if (!temporary_.empty() && files_.isFile(temporary_)) {
            files_.remove(temporary_);
        }
    }

    Status commit() override {
        const auto fail = [&](ErrorCode code, std::string_view why = {}) {
            return Status(failure_text::copyFailed(code, source_, destination_, why));
        };
        if (temporary_.empty()) {
            return fail(ErrorCode::Other, "копието вече е на мястото си");
        }
        if (const auto fault = files_.takeFault(Step::Commit)) {
            return fail(*fault);
        }
        const auto target = files_.locate(destination_, false);
        if (!target.ok() || target.value().parent == nullptr) {
            return fail(ErrorCode::FolderNotFound, "папката на целта не съществува");
        }
        Node* existing = target.value().node;
        if (existing != nullptr && existing->file && existing->file->readOnly) {
            return fail(ErrorCode::ReadOnly, "целта е файл само за четене");
        }
        Node* folder = target.value().parent;
        auto copy = files_.locate(temporary_, false).value();
        std::unique_ptr<Node> moved = copy.parent->detach(copy.node);
        moved->name = existing != nullptr ? existing->name : target.value().name;
        if (existing != nullptr) {
            folder->detach(existing);
        }
        folder->children.push_back(std::move(moved));
        files_.touch(*folder);
        temporary_.clear();
        return Status::success();
    }

private:
    FakeFileSystem& files_;
    std::string source_;
    std::string destination_;
    std::string temporary_;
};

class FakeFileSystem::Watch final : public FolderWatch {
public:
    explicit Watch(std::shared_ptr<FolderState> state)
        : state_(std::move(state)), seen_(state_->changes) {}
    bool mayHaveChanged() override { return state_.use_count() == 1 || state_->changes != seen_; }

private:
    std::shared_ptr<FolderState> state_;
    std::uint64_t seen_;
};

FakeFileSystem::FakeFileSystem() : root_(std::make_unique<Node>()) {}
FakeFileSystem::~FakeFileSystem() = default;

void FakeFileSystem::touch(Node& folder) const {
    ++folder.state->changes;
}

std::optional<ErrorCode> FakeFileSystem::takeFault(Step step) const {
    const auto found = faults_.find(step);
    if (found == faults_.end()) {
        return std::nullopt;
    }
    const ErrorCode code = found->second;
    faults_.erase(found);
    return code;
}

void FakeFileSystem::failNext(Step step, ErrorCode code) {
    faults_[step] = code;
}

Result<FakeFileSystem::Located> FakeFileSystem::locate(std::string_view path,
                                                       bool createFolders) const {
    if (path.size() < 2 || path[1] != ':' || (path.size() > 2 && !winpath::isSeparator(path[2]))) {
        return Failure{ErrorCode::NoDrive, {}};
    }
    const std::string drive(1,
                            static_cast<char>(text::toUpper(static_cast<unsigned char>(path[0]))));
    Node* current = root_->child(drive);
    if (current == nullptr) {
        if (!createFolders) {
            return Failure{ErrorCode::NoDrive, {}};
        }
        root_->children.push_back(std::make_unique<Node>());
        current = root_->children.back().get();
        current->name = drive;
    }
    const std::vector<std::string> components = winpath::components(path.substr(2));
    for (const auto& component : components) {
        if (!text::isValidWindowsName(component)) {
            return Failure{ErrorCode::InvalidName, {}};
        }
    }
    Located located{nullptr, current, {}};
    std::string soFar = drive + ":";
    for (std::size_t i = 0; i < components.size(); ++i) {
        Node* folder = located.node;
        soFar += '\\';
        soFar += components[i];
        if (!folder->folder) {
            return Failure{ErrorCode::NotAFolder,
                           failure_text::quoted(winpath::folder(soFar)) + " е файл, а не папка"};
        }
        Node* next = folder->child(components[i]);
        const bool last = i + 1 == components.size();
        if (next == nullptr && !last) {
            if (!createFolders) {
                return Failure{ErrorCode::FolderNotFound, {}};
            }
            folder->children.push_back(std::make_unique<Node>());
            next = folder->children.back().get();
            next->name = components[i];
            touch(*folder);
        }
        located = Located{folder, next, components[i]};
    }
    return located;
}

FakeFileSystem::Node* FakeFileSystem::find(std::string_view path) const {
    const auto located = locate(path, false);
    return located.ok() ? located.value().node : nullptr;
}

Result<std::vector<std::string>> FakeFileSystem::listMelodies(std::string_view folder) const {
    ++listings_;
    if (const auto fault = takeFault(Step::List)) {
        return failure_text::folderFailed(*fault, folder);
    }
    const auto located = locate(folder, false);
    if (!located.ok()) {
        const ErrorCode code = located.failure().code;
        return failure_text::folderFailed(code, folder, located.failure().message);
    }
    const Node* node = located.value().node;
    if (node == nullptr) {
        return failure_text::folderFailed(ErrorCode::FolderNotFound, folder);
    }
    if (!node->folder) {
        return failure_text::folderFailed(ErrorCode::NotAFolder, folder, "това е файл, а не папка");
    }
    std::vector<std::string> names;
    for (const auto& child : node->children) {
        if (!child->folder && text::matchesWavPattern(child->name) &&
            text::isValidWindowsName(child->name)) {
            names.push_back(child->name);
        }
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return text::lessIgnoringCase(a, b);
    });
    return names;
}

std::unique_ptr<FolderWatch> FakeFileSystem::watchFolder(std::string_view folder) const {
    const Node* node = find(folder);
    if (!watchesTrusted_ || node == nullptr || !node->folder) {
        return nullptr;
    }
    return std::make_unique<Watch>(node->state);
}

// The checks a copy and a move share, in the order the real backends make them.
Result<FakeFileSystem::Transfer> FakeFileSystem::checkTransfer(std::string_view source,
                                                               std::string_view destination,
                                                               bool isMove) const {
    const auto fail = [&](ErrorCode code, std::string_view why = {}) {
        return isMove ? failure_text::moveFailed(code, source, destination, why)
                      : failure_text::copyFailed(code, source, destination, why);
    };
    if (winpath::endsWithSeparator(source)) {
        return fail(ErrorCode::IsFolder, "изходният файл е папка");
    }
    const auto from = locate(source, false);
    if (!from.ok()) {
        return sourceFailure(from.failure(), fail);
    }
    const auto to = locate(destination, false);
    if (!to.ok()) {
        return destinationFailure(to.failure(), fail);
    }
    if (winpath::endsWithSeparator(destination)) {
        return fail(ErrorCode::IsFolder, "целта е папка");
    }
    const Node* sourceNode = from.value().node;
    if (sourceNode == nullptr) {
        return fail(ErrorCode::NotFound, "изходният файл не съществува");
    }
    if (sourceNode->folder) {
        return fail(ErrorCode::IsFolder, "изходният файл е папка");
    }
    if (const Node* target = to.value().node; target != nullptr) {
        if (target->folder) {
            return fail(ErrorCode::IsFolder, "целта е папка");
        }
        if (target->file == sourceNode->file) {
            return fail(ErrorCode::SameFile);
        }
        if (target->file->readOnly) {
            return fail(ErrorCode::ReadOnly, "целта е файл само за четене");
        }
    }
    if (isMove && sourceNode->file->inUse) {
        return fail(ErrorCode::AccessDenied, "файлът се използва от друга програма");
    }
    for (const Step step :
         isMove ? std::vector{Step::Move, Step::RemoveSource} : std::vector{Step::WriteTemporary}) {
        if (const auto fault = takeFault(step)) {
            return fail(*fault);
        }
    }
    return Transfer{from.value(), to.value()};
}

Result<std::unique_ptr<PreparedCopy>> FakeFileSystem::prepareCopy(std::string_view source,
                                                                  std::string_view destination) {
    const auto checked = checkTransfer(source, destination, false);
    if (!checked.ok()) {
        return checked.failure();
    }
    const std::string temporary = std::string(winpath::folder(destination)) + "\\.zorvik-copy-" +
                                  std::to_string(++temporaries_) + ".tmp";
    writeFile(temporary, checked.value().from.node->file->bytes);
    return std::unique_ptr<PreparedCopy>(std::make_unique<Prepared>(
        *this, std::string(source), std::string(destination), temporary));
}

Status FakeFileSystem::moveFile(std::string_view source, std::string_view destination) {
    const auto checked = checkTransfer(source, destination, true);
    if (!checked.ok()) {
        return checked.failure();
    }
    const Located& from = checked.value().from;
    const Located& to = checked.value().to;
    Node* folder = to.parent;
    std::unique_ptr<Node> moved = from.parent->detach(from.node);
    moved->name = to.node != nullptr ? to.node->name : to.name;
    if (to.node != nullptr) {
        folder->detach(to.node);
    }
    folder->children.push_back(std::move(moved));
    touch(*from.parent);
    touch(*folder);
    return Status::success();
}

Status FakeFileSystem::deleteFile(std::string_view path) {
    if (winpath::endsWithSeparator(path) || winpath::fileName(path).empty()) {
        return failure_text::deleteFailed(ErrorCode::NotFound, path, "пътят не назовава файл");
    }
    const auto located = locate(path, false);
    if (!located.ok()) {
        return failure_text::deleteFailed(located.failure().code, path, located.failure().message);
    }
    Node* node = located.value().node;
    if (node == nullptr) {
        return failure_text::deleteFailed(ErrorCode::NotFound, path);
    }
    if (node->folder) {
        return failure_text::deleteFailed(ErrorCode::IsFolder, path);
    }
    if (node->file->readOnly) {
        return failure_text::deleteFailed(ErrorCode::ReadOnly, path);
    }
    if (node->file->inUse) {
        return failure_text::deleteFailed(ErrorCode::AccessDenied, path,
                                          "файлът се използва от друга програма");
    }
    if (const auto fault = takeFault(Step::Delete)) {
        return failure_text::deleteFailed(*fault, path);
    }
    Node* folder = located.value().parent;
    folder->detach(node);
    touch(*folder);
    return Status::success();
}

Result<std::string> FakeFileSystem::hostPath(std::string_view path) const {
    return std::string(path);
}

void FakeFileSystem::makeFolder(std::string_view path) {
    const auto located = locate(path, true);
    if (!located.ok()) {
        throw std::invalid_argument("cannot make folder " + std::string(path));
    }
    if (located.value().node == nullptr) {
        auto folder = std::make_unique<Node>();
        folder->name = located.value().name;
        located.value().parent->children.push_back(std::move(folder));
        touch(*located.value().parent);
    }
}

void FakeFileSystem::writeFile(std::string_view path, std::string_view bytes) {
    const auto located = locate(path, true);
    if (!located.ok() || located.value().parent == nullptr ||
        (located.value().node != nullptr && located.value().node->folder)) {
        throw std::invalid_argument("cannot write file " + std::string(path));
    }
    Node* node = located.value().node;
    if (node == nullptr) {
        auto file = std::make_unique<Node>();
        file->name = located.value().name;
        file->folder = false;
        file->file = std::make_shared<FileData>();
        node = file.get();
        located.value().parent->children.push_back(std::move(file));
    }
    node->file->bytes = std::string(bytes);
    touch(*located.value().parent);
}

void FakeFileSystem::hardLink(std::string_view existing, std::string_view link) {
    const Node* original = find(existing);
    if (original == nullptr || original->folder) {
        throw std::invalid_argument("no file to link " + std::string(existing));
    }
    writeFile(link, "");
    find(link)->file = original->file;
}

void FakeFileSystem::remove(std::string_view path) {
    const auto located = locate(path, false);
    if (!located.ok() || located.value().node == nullptr || located.value().parent == nullptr) {
        return;
    }
    Node* node = located.value().node;
    if (node->folder) {
        node->markMoved();
    }
    located.value().parent->detach(node);
    touch(*located.value().parent);
}

void FakeFileSystem::rename(std::string_view from, std::string_view to) {
    const auto source = locate(from, false);
    const auto target = locate(to, true);
    if (!source.ok() || source.value().node == nullptr || !target.ok() ||
        target.value().parent == nullptr) {
        throw std::invalid_argument("cannot rename " + std::string(from));
    }
    Node* node = source.value().node;
    if (node->folder) {
        node->markMoved();
    }
    std::unique_ptr<Node> moved = source.value().parent->detach(node);
    if (Node* replaced = target.value().parent->child(target.value().name);
        replaced != nullptr && replaced != node) {
        target.value().parent->detach(replaced);
    }
    moved->name = target.value().name;
    target.value().parent->children.push_back(std::move(moved));
    touch(*source.value().parent);
    touch(*target.value().parent);
}

void FakeFileSystem::setReadOnly(std::string_view path, bool readOnly) {
    if (Node* node = find(path); node != nullptr && !node->folder) {
        node->file->readOnly = readOnly;
    }
}

void FakeFileSystem::setInUse(std::string_view path, bool inUse) {
    if (Node* node = find(path); node != nullptr && !node->folder) {
        node->file->inUse = inUse;
    }
}

std::optional<std::string> FakeFileSystem::readFile(std::string_view path) const {
    const Node* node = find(path);
    if (node == nullptr || node->folder) {
        return std::nullopt;
    }
    return node->file->bytes;
}

bool FakeFileSystem::isFile(std::string_view path) const {
    const Node* node = find(path);
    return node != nullptr && !node->folder;
}

bool FakeFileSystem::isFolder(std::string_view path) const {
    const Node* node = find(path);
    return node != nullptr && node->folder;
}

std::vector<std::string> FakeFileSystem::namesIn(std::string_view folder) const {
    std::vector<std::string> names;
    if (const Node* node = find(folder); node != nullptr && node->folder) {
        for (const auto& child : node->children) {
            names.push_back(child->name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace zorvik::testing
