#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <regex>

#include "platform/posix/posix_registry.h"
#include "settings/shell_object.h"
#include "settings/value_names.h"
#include "tests/support/forked_child.h"
#include "tests/support/temp_folder.h"

namespace zorvik {
namespace {

using testing::readFile;
using testing::TempFolder;
using testing::writeFile;

constexpr int kUpdates = 1000;

// The phone program's side, written apart from the program's own store code: it follows only
// the protocol (flock on the lock file, read, change its one line, temporary file, rename).
class PhoneWriter {
public:
    explicit PhoneWriter(std::string store) : store_(std::move(store)) {}

    bool setCounter(int value) {
        const int lock = ::open((store_ + ".lock").c_str(), O_RDWR | O_CREAT, 0600);
        if (lock < 0 || ::flock(lock, LOCK_EX) != 0) {
            return false;
        }
        std::string text = readFile(store_);
        char line[64];
        std::snprintf(line, sizeof line, "\"PhoneCounter\"=dword:%08x", value);
        static const std::regex existing("\"PhoneCounter\"=dword:[0-9a-f]{8}");
        if (std::regex_search(text, existing)) {
            text = std::regex_replace(text, existing, line);
        } else {
            const std::string header = "[HKEY_CURRENT_USER\\Zorvik\\Setings]\n";
            const auto at = text.find(header);
            if (at == std::string::npos) {
                text += (text.empty() ? "Windows Registry Editor Version 5.00\n\n" : "\n") +
                        header + line + "\n";
            } else {
                text.insert(at + header.size(), std::string(line) + "\n");
            }
        }
        const std::string temporary = store_ + ".phone";
        writeFile(temporary, text);
        const bool renamed = ::rename(temporary.c_str(), store_.c_str()) == 0;
        ::close(lock);  // releases the lock
        return renamed;
    }

    // The counter as the file holds it now, or -1.
    int counter() const {
        static const std::regex existing("\"PhoneCounter\"=dword:([0-9a-f]{8})");
        std::smatch match;
        const std::string text = readFile(store_);
        return std::regex_search(text, match, existing) ? std::stoi(match[1], nullptr, 16) : -1;
    }

private:
    std::string store_;
};

// Each side checks, before every update, that the file still holds its own last update: a
// writer that read an older file and wrote it back would have lost it.
TEST(TwoWriters, TheProgramAndThePhoneUpdatingAtOnceLoseNothing) {
    TempFolder root;
    const std::string store = (root / "zorvik" / "HKCU.reg").string();
    {
        posix::PosixRegistry registry(store);
        ASSERT_TRUE(registry.write("Zorvik\\Setings", "Audio", RegistryValue::dword(0)).ok());
    }
    const pid_t program = fork();
    ASSERT_GE(program, 0);
    if (program == 0) {
        posix::PosixRegistry registry(store);
        settings::ShellObject shell(registry);
        for (int i = 1; i <= kUpdates; ++i) {
            const auto mine = shell.RegRead(settings::kAudio);
            if (!mine.ok() || std::get<std::int32_t>(mine.value()) != (i - 1) % 3) {
                _exit(10);  // the phone's write took ours away
            }
            if (!shell.RegWrite(settings::kAudio, static_cast<std::int16_t>(i % 3), "REG_DWORD")
                     .ok()) {
                _exit(11);
            }
            (void)shell.RegWrite(settings::kRingSound, "мелодия " + std::to_string(i));
        }
        testing::endChild(0);
    }
    const pid_t phone = fork();
    ASSERT_GE(phone, 0);
    if (phone == 0) {
        PhoneWriter writer(store);
        for (int i = 1; i <= kUpdates; ++i) {
            if (i > 1 && writer.counter() != i - 1) {
                _exit(20);  // the program's write took ours away
            }
            if (!writer.setCounter(i)) {
                _exit(21);
            }
        }
        testing::endChild(0);
    }
    for (pid_t child : {program, phone}) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << (child == program ? "program" : "phone")
                                          << " lost an update (10 or 20) or failed to write";
    }
    posix::PosixRegistry registry(store);
    EXPECT_EQ(registry.read("Zorvik\\Setings", "PhoneCounter").value(),
              RegistryValue::dword(kUpdates));
    EXPECT_EQ(registry.read("Zorvik\\Setings", "Audio").value(),
              RegistryValue::dword(kUpdates % 3));
    EXPECT_EQ(registry.read("Zorvik\\Setings", "RingSound").value(),
              RegistryValue::string("мелодия " + std::to_string(kUpdates)));
}

}  // namespace
}  // namespace zorvik
