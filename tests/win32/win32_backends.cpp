// The contract tables on Windows: the in-memory fakes and the Win32 backends, in a folder under
// %TEMP% and a key below HKEY_CURRENT_USER of the test's own, both with Cyrillic names.
#include <windows.h>

#include <future>
#include <memory>
#include <string>
#include <thread>

#include "platform/win32/running_under_wine.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry.h"
#include "sound/platform_sound_decoder.h"
#include "tests/contract/fake_backends.h"
#include "tests/win32/host_commands.h"
#include "tests/win32/scratch.h"

namespace zorvik::testing {

namespace {

class Win32FileSystemHarness final : public FileSystemHarness {
public:
    ~Win32FileSystemHarness() override {
        // Wine would delete the file a host link points to and leave the link: the host removes
        // the whole scratch folder instead
        const std::wstring scratch = widePath(folder_.path());
        if (madeHostLinks_ && runOnHost(L"/bin/rm -rf " + quotedOnHost(folder_.path()))) {
            waitUntil(
                [&] { return GetFileAttributesW(scratch.c_str()) == INVALID_FILE_ATTRIBUTES; });
        }
    }
    TransactionalFileSystem& files() override { return files_; }
    std::string root() const override { return folder_.path(); }
    void makeFolder(std::string_view path) override { makeFolders(path); }
    void writeFile(std::string_view path, std::string_view bytes) override {
        writeBytes(path, bytes);
    }
    // a folder opens only for backup semantics, which readBytes does not ask for
    std::optional<std::string> readFile(std::string_view path) const override {
        return readBytes(path);
    }
    void setReadOnly(std::string_view path, bool readOnly) override {
        const std::wstring wide = widePath(path);
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        SetFileAttributesW(wide.c_str(), readOnly ? attributes | FILE_ATTRIBUTE_READONLY
                                                  : attributes & ~DWORD{FILE_ATTRIBUTE_READONLY});
    }
    bool hardLink(std::string_view existing, std::string_view link) override {
        return CreateHardLinkW(widePath(link).c_str(), widePath(existing).c_str(), nullptr) != 0;
    }
    // Under Wine a link of the host's own, as a user makes one into the prefix's drive; on
    // Windows a symbolic link (developer mode lets an unelevated user make one).
    bool symbolicLink(std::string_view target, std::string_view link) override {
        const std::wstring hostTarget = quotedOnHost(target);
        if (hostTarget.empty()) {
            constexpr DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
            return CreateSymbolicLinkW(widePath(link).c_str(), widePath(target).c_str(),
                                       kUnprivileged) != 0;
        }
        if (!runOnHost(L"/bin/ln -s " + hostTarget + L" " + quotedOnHost(link))) {
            return false;
        }
        madeHostLinks_ = true;
        return waitUntil(
            [&] { return GetFileAttributesW(widePath(link).c_str()) != INVALID_FILE_ATTRIBUTES; });
    }
    std::vector<std::string> namesIn(std::string_view folder) const override {
        return entriesOf(folder);
    }

private:
    ScratchFolder folder_;
    win32::Win32FileSystem files_;
    bool madeHostLinks_ = false;
};

// Another instance's turn at writing, until dropped: a thread of its own owns the mutex, as a
// mutex is owned by a thread.
std::shared_ptr<void> otherInstancesTurn() {
    struct Turn {
        std::promise<void> release;
        std::thread holder;
        ~Turn() {
            release.set_value();
            holder.join();
        }
    };
    auto turn = std::make_shared<Turn>();
    std::promise<void> taken;
    turn->holder = std::thread([&taken, released = turn->release.get_future()] {
        const HANDLE mutex = CreateMutexW(nullptr, FALSE, win32::Win32Registry::kWritersMutex);
        // bounded: a turn never passed on is the failure under test, not a hang
        const DWORD waited = WaitForSingleObject(mutex, 10'000);
        taken.set_value();
        released.wait();
        if (waited != WAIT_TIMEOUT) {
            ReleaseMutex(mutex);
        }
        CloseHandle(mutex);
    });
    taken.get_future().wait();
    return turn;
}

class Win32RegistryHarness final : public RegistryHarness {
    static constexpr std::chrono::milliseconds kPatience{100};

public:
    Registry& registry() override { return registry_; }
    std::string key() const override { return scratch_.key(); }
    std::shared_ptr<void> holdStore() override { return otherInstancesTurn(); }
    void abandonHold() override {
        // a thread that ends owning the mutex abandons it, as a killed process does, while
        // another instance (here the harness) keeps the mutex in being
        std::thread([this] {
            abandoned_ =
                win32::Handle(CreateMutexW(nullptr, FALSE, win32::Win32Registry::kWritersMutex));
            WaitForSingleObject(abandoned_.get(), INFINITE);
        }).join();
    }
    std::chrono::milliseconds patience() const override { return kPatience; }
    bool keyExists(std::string_view key) override {
        const std::wstring wide = win32::toWideLossy(key);
        HKEY opened = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, wide.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
            return false;
        }
        RegCloseKey(opened);
        return true;
    }

private:
    ScratchKey scratch_;
    win32::Win32Registry registry_{kPatience};
    win32::Handle abandoned_;
};

}  // namespace

std::vector<FileSystemBackend> fileSystemBackends() {
    const FileSystemBackend win32{"Win32",
                                  [] { return std::make_unique<Win32FileSystemHarness>(); }};
    return {fakeFileSystemBackend(), fakeDriveWithoutHardLinks(), win32,
            throughElevatedChannel(win32)};
}

std::vector<SoundDecoderBackend> soundDecoderBackends() {
    // Media Foundation reads every kind the table has under Wine with the GStreamer plugins
    // tools/install-deps installs; a Windows reads Ogg and Opus only with Web Media Extensions
    return {{"MediaFoundation", sound::createPlatformSoundDecoder, [](std::string_view kind) {
                 return win32::runningUnderWine() || (kind != "ogg" && kind != "opus");
             }}};
}

std::vector<RegistryBackend> registryBackends() {
    return {fakeRegistryBackend(),
            {"Win32", [] { return std::make_unique<Win32RegistryHarness>(); }}};
}

}  // namespace zorvik::testing
