#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/contract/harness.h"
#include "tests/support/whole_copy.h"

namespace zorvik::testing {

// A backend's machine with two folders of the test's own, "Rings" and "Друга", below its root.
class FileSystemContract : public ::testing::TestWithParam<FileSystemBackend> {
protected:
    void SetUp() override {
        machine = GetParam().make();
        root = machine->root();
        rings = root + "\\Rings";
        other = root + "\\Друга";
        machine->makeFolder(rings);
        machine->makeFolder(other);
    }
    TransactionalFileSystem& files() { return machine->files(); }
    std::string names(const std::string& folder) const {
        std::string out;
        for (const auto& name : machine->namesIn(folder)) {
            out += out.empty() ? name : " " + name;
        }
        return out;
    }
    std::vector<std::string> list(const std::string& folder) {
        auto listed = files().listMelodies(folder);
        EXPECT_TRUE(listed.ok()) << (listed.ok() ? "" : listed.failure().message);
        return listed.ok() ? listed.value() : std::vector<std::string>{};
    }

    std::unique_ptr<FileSystemHarness> machine;
    std::string root;
    std::string rings;
    std::string other;
};

}  // namespace zorvik::testing
