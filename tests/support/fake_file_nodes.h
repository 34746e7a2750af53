#pragma once

// The in-memory machine's entries, shared by the fake's tree and its primitive steps.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/windows_text.h"
#include "tests/support/fake_file_system.h"

namespace zorvik::testing {

struct FakeFileData {
    std::string bytes;
    bool readOnly = false;
    std::uint64_t modified = nextModification();  // a new time at every change of the bytes

    // A clock that moves at every call, as a file's time does between two writes.
    static std::uint64_t nextModification() {
        static std::uint64_t clock = 0;
        return ++clock;
    }
};

struct FakeFileSystem::Node {
    std::string name;
    bool folder = true;
    bool held = false;  // a temporary its writer still holds
    bool link = false;  // shown as a link, itself; reached through, it is what it holds
    std::shared_ptr<FakeFileData> file;           // files; hard links share it
    std::vector<std::unique_ptr<Node>> children;  // folders

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
};

// Where a path leads: the folder that holds (or would hold) it, and the entry when it exists.
struct FakeFileSystem::Located {
    Node* parent = nullptr;  // nullptr for a drive's root
    Node* node = nullptr;
    std::string name;  // the last component as given
};

}  // namespace zorvik::testing
