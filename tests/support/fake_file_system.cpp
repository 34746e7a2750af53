#include "tests/support/fake_file_system.h"

#include <algorithm>
#include <stdexcept>

#include "platform/windows_path.h"
#include "platform/windows_text.h"
#include "tests/support/fake_file_nodes.h"
#include "texts/failure_text.h"

namespace zorvik::testing {

void FakeFileSystem::failNext(FileStep step, ErrorCode code) {
    faults_[step] = stepFails(code);
}

std::optional<Failure> FakeFileSystem::useFails(Use use, const std::string& hostPath) {
    for (auto fault = useFaults_.begin(); fault != useFaults_.end(); ++fault) {
        if (fault->use == use && fault->path == hostPath && fault->skipped-- == 0) {
            const Failure failure{fault->code, "an injected failure"};
            useFaults_.erase(fault);
            return failure;
        }
    }
    return std::nullopt;
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
                           failure_text::pathThroughFile(winpath::folder(soFar))};
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
        return failure_text::folderFailed(
            ErrorCode::NotAFolder, folder,
            failure_text::reason(failure_text::Detail::ListedFolderIsFile));
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

// The paths of this machine are its Windows paths; only what names nothing at all fails here,
// a missing folder is for the steps to find.
Result<std::string> FakeFileSystem::hostPath(std::string_view path) const {
    if (const auto located = locate(path, false);
        !located.ok() && located.failure().code != ErrorCode::FolderNotFound) {
        return located.failure();
    }
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
        file->file = std::make_shared<FakeFileData>();
        node = file.get();
        located.value().parent->children.push_back(std::move(file));
    }
    node->file->bytes = std::string(bytes);
    node->file->modified = FakeFileData::nextModification();
}

void FakeFileSystem::hardLink(std::string_view existing, std::string_view link) {
    const Node* original = find(existing);
    if (original == nullptr || original->folder) {
        throw std::invalid_argument("no file to link " + std::string(existing));
    }
    writeFile(link, "");
    find(link)->file = original->file;
}

void FakeFileSystem::markAsLink(std::string_view path) {
    if (Node* node = find(path)) {
        node->link = true;
    }
}

void FakeFileSystem::remove(std::string_view path) {
    const auto located = locate(path, false);
    if (!located.ok() || located.value().node == nullptr || located.value().parent == nullptr) {
        return;
    }
    Node* node = located.value().node;
    located.value().parent->detach(node);
}

void FakeFileSystem::rename(std::string_view from, std::string_view to) {
    const auto source = locate(from, false);
    const auto target = locate(to, true);
    if (!source.ok() || source.value().node == nullptr || !target.ok() ||
        target.value().parent == nullptr) {
        throw std::invalid_argument("cannot rename " + std::string(from));
    }
    Node* node = source.value().node;
    std::unique_ptr<Node> moved = source.value().parent->detach(node);
    if (Node* replaced = target.value().parent->child(target.value().name);
        replaced != nullptr && replaced != node) {
        target.value().parent->detach(replaced);
    }
    moved->name = target.value().name;
    target.value().parent->children.push_back(std::move(moved));
}

void FakeFileSystem::setReadOnly(std::string_view path, bool readOnly) {
    if (Node* node = find(path); node != nullptr && !node->folder) {
        node->file->readOnly = readOnly;
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
