// The contract tables on this machine: the in-memory fakes and the POSIX backends, drive C: in a
// folder of the test's own and the settings in a file there.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_registry.h"
#include "sound/platform_sound_decoder.h"
#include "tests/contract/fake_backends.h"
#include "tests/support/temp_folder.h"

namespace zorvik::testing {

namespace {

namespace fs = std::filesystem;

class PosixFileSystemHarness final : public FileSystemHarness {
public:
    PosixFileSystemHarness() : files_(posix::DriveMap((folder_ / "c").string())) {
        fs::create_directories(folder_ / "c" / "Tests");
    }

    TransactionalFileSystem& files() override { return files_; }
    std::string root() const override { return "C:\\Tests"; }
    void makeFolder(std::string_view path) override { fs::create_directories(host(path)); }
    void writeFile(std::string_view path, std::string_view bytes) override {
        testing::writeFile(host(path), bytes);
    }
    std::optional<std::string> readFile(std::string_view path) const override {
        const fs::path file = host(path);
        if (!fs::is_regular_file(file)) {
            return std::nullopt;
        }
        return testing::readFile(file);
    }
    void setReadOnly(std::string_view path, bool readOnly) override {
        fs::permissions(host(path), fs::perms::owner_write,
                        readOnly ? fs::perm_options::remove : fs::perm_options::add);
    }
    bool hardLink(std::string_view existing, std::string_view link) override {
        std::error_code failed;
        fs::create_hard_link(host(existing), host(link), failed);
        return !failed;
    }
    bool symbolicLink(std::string_view target, std::string_view link) override {
        std::error_code failed;
        fs::create_symlink(host(target), host(link), failed);
        return !failed;
    }
    std::vector<std::string> namesIn(std::string_view folder) const override {
        std::vector<std::string> names;
        std::error_code ignored;
        for (const auto& entry : fs::directory_iterator(host(folder), ignored)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    // Test paths name existing case exactly, so a plain mapping serves.
    fs::path host(std::string_view windowsPath) const {
        std::string relative(windowsPath.substr(3));
        std::replace(relative.begin(), relative.end(), '\\', '/');
        return folder_ / "c" / relative;
    }

    TempFolder folder_;
    posix::PosixFileSystem files_;
};

class PosixRegistryHarness final : public RegistryHarness {
    static constexpr std::chrono::milliseconds kPatience{100};

public:
    PosixRegistryHarness() : registry_((folder_ / "config" / "HKCU.reg").string(), kPatience) {}
    Registry& registry() override { return registry_; }
    std::string key() const override { return "Zorvik\\Setings"; }
    std::chrono::milliseconds patience() const override { return kPatience; }
    bool keyExists(std::string_view key) override {
        return readFile(folder_ / "config" / "HKCU.reg")
                   .find("[HKEY_CURRENT_USER\\" + std::string(key) + "]") != std::string::npos;
    }
    std::shared_ptr<void> holdStore() override {
        // another open of the lock file conflicts as another process's would
        fs::create_directories(folder_ / "config");
        const int lock = ::open(registry_.lockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        EXPECT_EQ(::flock(lock, LOCK_EX), 0);
        return std::shared_ptr<void>(nullptr, [lock](void*) { ::close(lock); });
    }

private:
    TempFolder folder_;
    posix::PosixRegistry registry_;
};

}  // namespace

std::vector<FileSystemBackend> fileSystemBackends() {
    return {fakeFileSystemBackend(),
            fakeDriveWithoutHardLinks(),
            throughElevatedChannel(fakeFileSystemBackend()),
            {"Posix", [] { return std::make_unique<PosixFileSystemHarness>(); }}};
}

std::vector<SoundDecoderBackend> soundDecoderBackends() {
#ifdef ZORVIK_PLATFORM_SOUND_DECODER
    // the program's own: FFmpeg's module, loaded as the program loads it
    return {{"Ffmpeg", sound::createPlatformSoundDecoder, [](std::string_view) { return true; }}};
#else
    return {};
#endif
}

std::vector<RegistryBackend> registryBackends() {
    return {fakeRegistryBackend(),
            {"Posix", [] { return std::make_unique<PosixRegistryHarness>(); }}};
}

}  // namespace zorvik::testing
