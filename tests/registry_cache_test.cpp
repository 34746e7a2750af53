// The parse cache parses the settings file once per version of it. These tests change the file
// in every way that could leave a stale parse looking valid (same size, same modification time,
// within one grain of the clock, by another process) and check that every read returns what the
// file holds.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "platform/posix/cached_store_reader.h"
#include "platform/posix/host_errors.h"
#include "platform/posix/posix_registry.h"
#include "platform/posix/timestamp_grain.h"
#include "tests/support/temp_folder.h"

namespace zorvik {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::writeFile;

constexpr const char* kKey = "Zorvik\\Setings";

// The same length for every melody name, so that every version of the file has one size.
std::string storeHolding(std::string_view ringSound) {
    return "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Zorvik\\Setings]\n"
           "\"Audio\"=dword:00000001\n\"inDeleted\"=dword:00000000\n"
           "\"AudioPath\"=\"C:\\\\Program Files\\\\Zorvik\\\\Rings\"\n"
           "\"RingSound\"=\"" +
           std::string(ringSound) + "\"\n";
}

timespec modificationTime(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mtim;
}

void putModificationTimeBack(const fs::path& path, const timespec& time) {
    const timespec times[2] = {{0, UTIME_OMIT}, time};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

void rewriteInPlace(const fs::path& path, std::string_view content) {
    posix::FileDescriptor file(::open(path.c_str(), O_WRONLY));
    ASSERT_TRUE(file.valid());
    ASSERT_EQ(::pwrite(file.get(), content.data(), content.size(), 0),
              static_cast<ssize_t>(content.size()));
}

class RegistryCacheTest : public ::testing::Test {
protected:
    fs::path store() const { return root / "HKCU.reg"; }

    // Waits until the store's version is older than a step of the file system's clock, after
    // which a read may keep its parse. False where parses are never kept (a file system whose
    // changes might not be stamped by this machine).
    bool waitUntilSettled() const {
        posix::FileDescriptor file(::open(store().c_str(), O_RDONLY));
        const auto grain = posix::localTimestampGrain(file.get());
        if (!grain) {
            return false;
        }
        struct stat info {};
        ::fstat(file.get(), &info);
        const auto changed = std::chrono::seconds(info.st_ctim.tv_sec) +
                             std::chrono::nanoseconds(info.st_ctim.tv_nsec);
        for (;;) {
            timespec now{};
            ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
            if (changed + 2 * *grain <=
                std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec)) {
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    std::string ringSound() {
        const auto value = registry.read(kKey, "RingSound");
        return value.ok() ? value.value().text : "(" + value.failure().message + ")";
    }

    TempFolder root;
    std::shared_ptr<posix::CachedStoreReader> cache = std::make_shared<posix::CachedStoreReader>();
    posix::PosixRegistry registry{(root / "HKCU.reg").string(), cache};
};

// Whether a version is a grain of the clock old decides alone whether its parse is kept: a
// younger one could still change without a trace in its times.
TEST_F(RegistryCacheTest, OnlyAVersionAGrainOldIsKept) {
    using std::chrono::nanoseconds;
    writeFile(store(), storeHolding("aaaa.wav"));
    struct stat info {};
    ASSERT_EQ(::stat(store().c_str(), &info), 0);
    const nanoseconds changed = std::chrono::seconds(info.st_ctim.tv_sec) +
                                nanoseconds(std::max(info.st_ctim.tv_nsec, info.st_mtim.tv_nsec));
    constexpr nanoseconds kGrain = std::chrono::milliseconds(4);
    const struct {
        const char* when;
        std::optional<nanoseconds> grain;
        nanoseconds sinceChange;
        bool kept;
    } rows[] = {
        {"a grain after the change", kGrain, kGrain, true},
        {"just within a grain of it", kGrain, kGrain - nanoseconds(1), false},
        {"within the two seconds of a coarse file system", std::chrono::seconds(2),
         std::chrono::seconds(1), false},
        {"long after, where the grain is unknown", std::nullopt, std::chrono::hours(1), false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.when);
        const auto now = changed + row.sinceChange;
        posix::CachedStoreReader reader(
            [&] {
                return timespec{static_cast<time_t>(now.count() / 1'000'000'000),
                                static_cast<long>(now.count() % 1'000'000'000)};
            },
            [&](int) { return row.grain; });
        for (int read = 0; read < 2; ++read) {
            const auto reading = reader.read(store().string());
            ASSERT_TRUE(reading.ok() && reading.value().document);
            EXPECT_EQ(
                reading.value().document->find("HKEY_CURRENT_USER\\Zorvik\\Setings", "RingSound"),
                RegistryValue::string("aaaa.wav"));
        }
        EXPECT_EQ(reader.parses(), row.kept ? 1u : 2u);
    }
}

TEST_F(RegistryCacheTest, StartUpReadsItsFourValuesFromOneParse) {
    writeFile(store(), storeHolding("Звън.wav"));
    if (!waitUntilSettled()) {
        GTEST_SKIP() << "parses are not kept on this file system";
    }
    EXPECT_EQ(registry.read(kKey, "Audio").value(), RegistryValue::dword(1));
    EXPECT_EQ(registry.read(kKey, "inDeleted").value(), RegistryValue::dword(0));
    EXPECT_EQ(registry.read(kKey, "RingSound").value(), RegistryValue::string("Звън.wav"));
    EXPECT_EQ(registry.read(kKey, "RingSound").value(), RegistryValue::string("Звън.wav"));
    EXPECT_EQ(cache->parses(), 1u);
}

// Every way of putting another version of the same size in place, some also putting the old
// modification time back, as a copy that keeps times does.
struct Change {
    const char* how;
    std::function<void(const fs::path& store, const std::string& content)> apply;
};

TEST_F(RegistryCacheTest, NoReadReturnsAVersionTheFileNoLongerHolds) {
    int renamed = 0;
    const Change changes[] = {
        {"rewritten in place",
         [](const fs::path& path, const std::string& content) { rewriteInPlace(path, content); }},
        {"rewritten in place, modification time put back",
         [](const fs::path& path, const std::string& content) {
             const timespec before = modificationTime(path);
             rewriteInPlace(path, content);
             putModificationTimeBack(path, before);
         }},
        {"a new file renamed over it, modification time put back",
         [&](const fs::path& path, const std::string& content) {
             const timespec before = modificationTime(path);
             const fs::path fresh = path.string() + ".new" + std::to_string(renamed++);
             writeFile(fresh, content);
             putModificationTimeBack(fresh, before);
             fs::rename(fresh, path);
         }},
        {"written by this store",
         [&](const fs::path&, const std::string& content) {
             const std::string name = content.substr(content.rfind("=\"") + 2, 8);
             ASSERT_TRUE(registry.write(kKey, "RingSound", RegistryValue::string(name)).ok());
         }},
        {"written by another process",
         [](const fs::path& path, const std::string& content) {
             const std::string name = content.substr(content.rfind("=\"") + 2, 8);
             const pid_t child = ::fork();
             if (child == 0) {
                 posix::PosixRegistry other(path.string());
                 _exit(other.write(kKey, "RingSound", RegistryValue::string(name)).ok() ? 0 : 1);
             }
             int status = 0;
             ::waitpid(child, &status, 0);
             ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
         }},
    };
    for (const auto& change : changes) {
        SCOPED_TRACE(change.how);
        writeFile(store(), storeHolding("aaaa.wav"));
        const bool settles = waitUntilSettled();
        for (int round = 0; round < 3; ++round) {
            // a version old enough to be kept, read twice: the second read is the kept parse
            EXPECT_EQ(ringSound(), "aaaa.wav");
            const std::size_t parsed = cache->parses();
            EXPECT_EQ(ringSound(), "aaaa.wav");
            if (settles) {
                EXPECT_EQ(cache->parses(), parsed) << "the parse was not kept";
            }
            // then changed back and forth within one step of the clock
            change.apply(store(), storeHolding("bbbb.wav"));
            EXPECT_EQ(ringSound(), "bbbb.wav");
            change.apply(store(), storeHolding("aaaa.wav"));
            EXPECT_EQ(ringSound(), "aaaa.wav");
            change.apply(store(), storeHolding("bbbb.wav"));
            EXPECT_EQ(ringSound(), "bbbb.wav");
            // and once more after the new version has settled and been kept
            waitUntilSettled();
            EXPECT_EQ(ringSound(), "bbbb.wav");
            change.apply(store(), storeHolding("aaaa.wav"));
            EXPECT_EQ(ringSound(), "aaaa.wav");
            waitUntilSettled();
        }
    }
}

TEST_F(RegistryCacheTest, ALinkedStoreFollowsTheLinkAsItIsNow) {
    const fs::path first = root / "first.reg";
    const fs::path second = root / "second.reg";
    writeFile(first, storeHolding("aaaa.wav"));
    writeFile(second, storeHolding("bbbb.wav"));
    putModificationTimeBack(second, modificationTime(first));
    fs::create_symlink(first, store());
    waitUntilSettled();
    EXPECT_EQ(ringSound(), "aaaa.wav");
    EXPECT_EQ(ringSound(), "aaaa.wav");
    const fs::path link = root / "link.new";
    fs::create_symlink(second, link);
    fs::rename(link, store());
    EXPECT_EQ(ringSound(), "bbbb.wav");
}

TEST_F(RegistryCacheTest, AKeptVersionThatIsDamagedOrRemovedIsNotServed) {
    writeFile(store(), storeHolding("aaaa.wav"));
    waitUntilSettled();
    EXPECT_EQ(ringSound(), "aaaa.wav");
    EXPECT_EQ(ringSound(), "aaaa.wav");
    std::string damaged = storeHolding("aaaa.wav");
    damaged[0] = 'X';  // the header is gone
    rewriteInPlace(store(), damaged);
    const auto read = registry.read(kKey, "RingSound");
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.failure().code, ErrorCode::Corrupt);

    writeFile(store(), storeHolding("aaaa.wav"));
    waitUntilSettled();
    EXPECT_EQ(ringSound(), "aaaa.wav");
    fs::remove(store());
    const auto missing = registry.read(kKey, "RingSound");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.failure().code, ErrorCode::NotFound);
}

}  // namespace
}  // namespace zorvik
