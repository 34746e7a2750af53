#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file_transaction/file_transaction.h"
#include "platform/registry.h"
#include "sound/sound_decoder.h"

// What the contract tables need of a backend's machine: a place of the test's own and ways to
// arrange it behind the backend's back. Every backend (the in-memory fake, POSIX, Win32) brings
// one, and the same tables run against each.
namespace zorvik::testing {

class FileSystemHarness {
public:
    virtual ~FileSystemHarness() = default;

    virtual TransactionalFileSystem& files() = 0;
    // An empty folder of the test's own, in Windows form without a trailing backslash.
    virtual std::string root() const = 0;

    virtual void makeFolder(std::string_view path) = 0;
    virtual void writeFile(std::string_view path, std::string_view bytes) = 0;
    virtual std::optional<std::string> readFile(std::string_view path) const = 0;
    virtual void setReadOnly(std::string_view path, bool readOnly) = 0;
    // false where this machine cannot make one
    virtual bool hardLink(std::string_view existing, std::string_view link) = 0;
    // A symbolic link to `target` (as the host makes it: under Wine, one of the host's own);
    // false where this machine cannot make one.
    virtual bool symbolicLink(std::string_view target, std::string_view link) = 0;
    // Every entry of a folder as stored, in byte order: a temporary file left behind shows here.
    virtual std::vector<std::string> namesIn(std::string_view folder) const = 0;

    // Where files() sends its changes instead of its own steps, kept while the machine lives.
    std::shared_ptr<void> routedThrough;
};

class RegistryHarness {
public:
    virtual ~RegistryHarness() = default;

    virtual Registry& registry() = 0;
    // A key of the test's own below HKEY_CURRENT_USER, which does not exist yet.
    virtual std::string key() const = 0;
    // Holds the store as another program would (its lock, or its writers' turn) until the
    // result is dropped. The harness's store waits only a short while for it.
    virtual std::shared_ptr<void> holdStore() = 0;
    // Another holder of the store killed while it held it. Where a lock goes with its holder's
    // last open file (flock, the fake) nothing stays to arrange; a Windows mutex is abandoned.
    virtual void abandonHold() {}
    // Whether the store holds `key`, values or none.
    virtual bool keyExists(std::string_view key) = 0;
    // How long the harness's store waits for a holder: zero where it does not wait at all.
    virtual std::chrono::milliseconds patience() const { return {}; }
};

struct FileSystemBackend {
    std::string name;
    std::function<std::unique_ptr<FileSystemHarness>()> make;
};

struct RegistryBackend {
    std::string name;
    std::function<std::unique_ptr<RegistryHarness>()> make;
};

struct SoundDecoderBackend {
    std::string name;
    std::function<std::unique_ptr<sound::SoundDecoder>()> make;
    // Whether it reads a kind of sound, by the extension its files have ("mp3", "wma"), as its
    // platform is installed here; what it does not read it refuses cleanly.
    std::function<bool(std::string_view extension)> reads;
};

// The backends this test binary runs the tables against; each binary defines these.
std::vector<FileSystemBackend> fileSystemBackends();
std::vector<RegistryBackend> registryBackends();
std::vector<SoundDecoderBackend> soundDecoderBackends();

}  // namespace zorvik::testing
