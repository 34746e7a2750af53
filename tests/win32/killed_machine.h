#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "file_transaction/file_transaction.h"
#include "platform/registry.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_interprocess_lock.h"
#include "platform/win32/win32_registry.h"
#include "settings/shell_object.h"
#include "tests/support/counted_registry.h"
#include "tests/support/form_driver.h"

// A machine of its own on the real Win32 services, for a program killed at any step: its drive
// C: (the phone program's install folder with Rings and Rings\Deleted) is a scratch folder, the
// current user's keys lie below a scratch key, and copies of the program share a named mutex of
// its own. The program is killed in a child process (killed_midway_child.cpp); the next start
// runs in the test.
namespace zorvik::testing {

// The real Win32 file system, with "C:\" standing for a folder.
class ScratchDrive final : public TransactionalFileSystem {
public:
    explicit ScratchDrive(std::string driveC) : driveC_(std::move(driveC)) {}

    Result<std::vector<std::string>> listMelodies(std::string_view folder) const override;
    // Only paths on C: have one: nothing a test runs reaches beyond its own folder.
    Result<std::string> hostPath(std::string_view path) const override;
    FileSteps& steps() override { return real_.steps(); }
    Result<std::unique_ptr<SourceReader>> openSource(const std::string& hostPath) override {
        return real_.openSource(hostPath);
    }

private:
    std::string driveC_;
    win32::Win32FileSystem real_;
};

// The real current user's registry, with its keys below `branch`.
class BranchRegistry final : public Registry {
public:
    BranchRegistry(Registry& inner, std::string branch)
        : inner_(inner), branch_(std::move(branch)) {}
    Result<RegistryValue> read(std::string_view key, std::string_view valueName) override {
        return inner_.read(below(key), valueName);
    }

protected:
    Status applyChecked(std::string_view key, std::span<const ValueChange> changes) override {
        return inner_.apply(below(key), changes);
    }

private:
    std::string below(std::string_view key) const { return branch_ + "\\" + std::string(key); }
    Registry& inner_;
    std::string branch_;
};

// What the killed program was doing: choosing new.wav as the ring melody, or moving it to
// Deleted across volumes.
// MoveOverOlder: into a Deleted folder that holds an older melody of that name, kept aside
// meanwhile.
enum class KilledOperation { RingChoice, Move, MoveOverOlder };

class KilledMachine : public FormDriver {
public:
    // On the drive in `folder` and the keys below `branch`; the program kills itself at its
    // `killAt`th step (file steps and settings writes counted alike), 0 runs to the end.
    KilledMachine(KilledOperation operation, const std::string& folder, const std::string& branch,
                  int killAt = 0);

    // Two melodies, the older one the ring melody, recorded so.
    void prepare();
    void run();

    // The melody the record names, when the ring file holds that very melody and nothing of a
    // choice is left; "" otherwise.
    std::string agreedRingMelody();
    // Where the moved melody is, when it is whole in exactly one folder and nothing of a move is
    // left: "Rings" or "Deleted"; "" otherwise.
    std::string whereTheMovedMelodyIs();
    // The one that fits the operation.
    std::string outcome() {
        return operation_ == KilledOperation::RingChoice ? agreedRingMelody()
                                                         : whereTheMovedMelodyIs();
    }

    // A start whose finishing fails: the record and every file it would change refused for
    // want of rights; only its own journal may still be written.
    void openRefusingChanges();

    // The folders and the ring file as they are, for a failure's message.
    std::string scene();

    int steps() const { return steps_; }

    // Host paths, to look behind the program's back.
    const std::string install;
    const std::string rings;
    const std::string deleted;

    ScratchDrive files;
    win32::Win32Registry realRegistry;
    BranchRegistry registry;

protected:
    TransactionalFileSystem& machineFiles() override { return files; }
    settings::ShellFactory& machineShells() override { return shells_; }
    InterprocessLock& machineLock() override { return lock_; }

private:
    void step();

    KilledOperation operation_;
    int killAt_;
    int steps_ = 0;
    bool refusing_ = false;
    CountedRegistry counted_;
    settings::RegistryShellFactory shells_;
    win32::Win32InterprocessLock lock_;
};

// The exit code of a program that killed itself at its step.
inline constexpr unsigned kKilledExitCode = 9;

}  // namespace zorvik::testing
