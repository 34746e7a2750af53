#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <random>

#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_registry.h"
#include "platform/posix/reg_document.h"
#include "tests/support/forked_child.h"
#include "tests/support/temp_folder.h"
#include "tests/support/whole_copy.h"

namespace zorvik {
namespace {

using testing::listing;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;
namespace fs = std::filesystem;

constexpr const char* kKey = "Zorvik\\Setings";
constexpr const char* kFullKey = "HKEY_CURRENT_USER\\Zorvik\\Setings";

// A value that shows whether it was written whole: the number, then the number again many times.
std::string payloadOf(std::uint32_t n) {
    std::string text = std::to_string(n) + ":";
    for (int i = 0; i < 300; ++i) {
        text += std::to_string(n) + ",";
    }
    return text;
}

std::mt19937 randomFromEnvironment() {
    const char* seed = std::getenv("ZORVIK_SEED");
    const unsigned value =
        seed != nullptr ? static_cast<unsigned>(std::atoi(seed)) : std::random_device{}();
    std::printf("crash safety seed %u (ZORVIK_SEED=%u repeats it)\n", value, value);
    return std::mt19937(value);
}

// Microseconds that `work` takes here, so that the kills fall inside and around it whatever the
// machine (a sanitizer build is several times slower).
template <typename Work>
int durationMicroseconds(Work work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return static_cast<int>(std::chrono::duration_cast<std::chrono::microseconds>(
                                std::chrono::steady_clock::now() - start)
                                .count());
}

// Kills a child running `work` after a random moment, hundreds of times: from at once to a few
// times as long as one operation takes (`operationMicroseconds`), plus the child's start.
template <typename Work, typename Check>
void killAtRandomMoments(int times, int operationMicroseconds, Work work, Check check) {
    std::mt19937 random = randomFromEnvironment();
    std::uniform_int_distribution<int> delay(0, 2000 + 4 * operationMicroseconds);
    for (int round = 0; round < times; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            work(round);
            testing::endChild(0);
        }
        usleep(static_cast<useconds_t>(delay(random)));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        check(round);
        if (::testing::Test::HasFatalFailure()) {
            return;
        }
    }
}

TEST(CrashSafety, AStoreWriterKilledAtAnyMomentLeavesTheOldOrTheNewValueWhole) {
    TempFolder root;
    const std::string store = (root / "zorvik" / "HKCU.reg").string();
    {
        posix::PosixRegistry registry(store);
        for (int i = 0; i < 40; ++i) {  // the phone program's values, which must all survive
            ASSERT_TRUE(registry
                            .write("Zorvik\\Phone", "Value" + std::to_string(i),
                                   RegistryValue::string("kept " + std::to_string(i)))
                            .ok());
        }
        ASSERT_TRUE(registry.write(kKey, "Payload", RegistryValue::string(payloadOf(0))).ok());
    }
    std::uint32_t seen = 0;
    const int writeTakes = durationMicroseconds([&] {
        posix::PosixRegistry registry(store);
        (void)registry.write(kKey, "Payload", RegistryValue::string(payloadOf(0)));
    });
    killAtRandomMoments(
        300, writeTakes,
        [&](int) {
            posix::PosixRegistry registry(store);
            for (std::uint32_t n = seen + 1;; ++n) {
                (void)registry.write(kKey, "Payload", RegistryValue::string(payloadOf(n)));
            }
        },
        [&](int round) {
            const auto document = posix::RegDocument::parse(readFile(store));
            ASSERT_TRUE(document.ok()) << "round " << round << ": " << document.failure().message;
            const auto payload = document.value().find(kFullKey, "Payload");
            ASSERT_TRUE(payload) << "round " << round << ": the value is gone";
            const std::uint32_t n = static_cast<std::uint32_t>(
                std::stoul(payload->text.substr(0, payload->text.find(':'))));
            ASSERT_EQ(payload->text, payloadOf(n)) << "round " << round << ": a torn value";
            ASSERT_GE(n, seen) << "round " << round << ": an older value came back";
            seen = n;
            for (int i = 0; i < 40; ++i) {
                ASSERT_TRUE(document.value().find("HKEY_CURRENT_USER\\Zorvik\\Phone",
                                                  "Value" + std::to_string(i)))
                    << "round " << round << ": another value was lost";
            }
        });
    EXPECT_GT(seen, 0u) << "no writer ever finished a write: the kills came too early";
    posix::PosixRegistry registry(store);
    ASSERT_TRUE(registry.write(kKey, "Payload", RegistryValue::string("done")).ok());
    EXPECT_EQ(listing(root / "zorvik"), "HKCU.reg HKCU.reg.lock")
        << "the temporaries of killed writers stay behind";
}

TEST(CrashSafety, ACopyKilledAtAnyMomentLeavesTheOldOrTheNewFileWhole) {
    TempFolder root;
    fs::create_directories(root / "c" / "Zorvik");
    const std::string oldRing(300 * 1024, 'o');
    const std::string melody(900 * 1024, 'n');
    writeFile(root / "c" / "melody.wav", melody);
    writeFile(root / "c" / "Zorvik" / "Phone.wav", oldRing);
    int sawNew = 0;
    const int copyTakes = durationMicroseconds([&] {
        posix::PosixFileSystem files(posix::DriveMap((root / "c").string()));
        (void)testing::copyFile(files, "C:\\melody.wav", "C:\\Zorvik\\scratch.wav");
    });
    fs::remove(root / "c" / "Zorvik" / "scratch.wav");
    killAtRandomMoments(
        150, copyTakes,
        [&](int) {
            posix::PosixFileSystem files(posix::DriveMap((root / "c").string()));
            (void)testing::copyFile(files, "C:\\melody.wav", "C:\\Zorvik\\Phone.wav");
        },
        [&](int round) {
            const std::string now = readFile(root / "c" / "Zorvik" / "Phone.wav");
            ASSERT_TRUE(now == oldRing || now == melody)
                << "round " << round << ": a ring file of " << now.size() << " bytes";
            if (now == melody) {
                ++sawNew;
                writeFile(root / "c" / "Zorvik" / "Phone.wav", oldRing);
            }
        });
    EXPECT_GT(sawNew, 0) << "no copy ever finished: the kills came too early";
}

}  // namespace
}  // namespace zorvik
