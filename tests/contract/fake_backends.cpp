// The in-memory fakes as contract backends: the tables prove that what the core's tests assume
// of them holds.
#include "tests/contract/fake_backends.h"

#include <limits>

#include "platform/elevated/remote_file_steps.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/fake_registry.h"

namespace zorvik::testing {

namespace {

class FakeFileSystemHarness final : public FileSystemHarness {
public:
    explicit FakeFileSystemHarness(bool hardLinks) : hardLinks_(hardLinks) {
        files_.makeFolder(root());
        files_.setHardLinks(hardLinks);
    }

    TransactionalFileSystem& files() override { return files_; }
    std::string root() const override { return "C:\\Tests"; }
    void makeFolder(std::string_view path) override { files_.makeFolder(path); }
    void writeFile(std::string_view path, std::string_view bytes) override {
        files_.writeFile(path, bytes);
    }
    std::optional<std::string> readFile(std::string_view path) const override {
        return files_.readFile(path);
    }
    void setReadOnly(std::string_view path, bool readOnly) override {
        files_.setReadOnly(path, readOnly);
    }
    bool hardLink(std::string_view existing, std::string_view link) override {
        if (hardLinks_) {
            files_.hardLink(existing, link);
        }
        return hardLinks_;
    }
    bool symbolicLink(std::string_view, std::string_view) override { return false; }
    std::vector<std::string> namesIn(std::string_view folder) const override {
        return files_.namesIn(folder);
    }

private:
    FakeFileSystem files_;
    bool hardLinks_;
};

class FakeRegistryHarness final : public RegistryHarness {
public:
    Registry& registry() override { return registry_; }
    std::string key() const override { return "Zorvik\\Setings"; }
    bool keyExists(std::string_view key) override { return registry_.hasKey(key); }
    std::shared_ptr<void> holdStore() override {
        registry_.failWrites(std::numeric_limits<int>::max(), ErrorCode::Busy);
        return std::shared_ptr<void>(nullptr, [this](void*) { registry_.failWrites(0); });
    }

private:
    FakeRegistry registry_;
};

// The elevated process's side of the channel, answering each step on the machine's own steps.
class ElevatedChannel final : public elevated::StepTransport {
public:
    explicit ElevatedChannel(TransactionalFileSystem& files)
        : files_(files), remote_(*this, files.steps()) {
        files.rights().routeChangesThrough(&remote_);
    }
    Result<std::string> exchange(const std::string& request) override {
        return elevated::answerStep(files_.steps(), request);
    }

private:
    TransactionalFileSystem& files_;
    elevated::RemoteFileSteps remote_;
};

}  // namespace

FileSystemBackend throughElevatedChannel(FileSystemBackend backend) {
    return {backend.name + "ThroughElevatedChannel", [make = backend.make] {
                auto machine = make();
                machine->routedThrough = std::make_shared<ElevatedChannel>(machine->files());
                return machine;
            }};
}

FileSystemBackend fakeFileSystemBackend() {
    return {"Fake", [] { return std::make_unique<FakeFileSystemHarness>(true); }};
}

FileSystemBackend fakeDriveWithoutHardLinks() {
    return {"FakeWithoutHardLinks", [] { return std::make_unique<FakeFileSystemHarness>(false); }};
}

RegistryBackend fakeRegistryBackend() {
    return {"Fake", [] { return std::make_unique<FakeRegistryHarness>(); }};
}

}  // namespace zorvik::testing
