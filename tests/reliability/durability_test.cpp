// What a crash leaves depends on the order in which the disk hears of each step: a new file's
// content flushed before the rename that puts it in place, the folder flushed after that rename,
// and an older namesake let go only once the moved melody's source is gone. Each operation runs
// in a process of its own under a shim that records those calls (disk_trace_shim.c).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace zorvik {
namespace {

using testing::listing;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;
namespace fs = std::filesystem;

struct Call {
    std::string what;
    std::string first;
    std::string second;
};

// The host path with its folder's links resolved, as the shim writes it.
std::string resolved(const fs::path& path) {
    return (fs::canonical(path.parent_path()) / path.filename()).string();
}

class DiskOrder : public ::testing::Test {
protected:
    DiskOrder() {
        fs::create_directories(rings);
        fs::create_directories(other);
    }

    // The calls the helper made for one operation, in order.
    std::vector<Call> traced(const std::vector<std::string>& arguments) {
        const fs::path trace = root / "trace";
        fs::remove(trace);
        const pid_t child = fork();
        if (child == 0) {
            setenv("LD_PRELOAD", ZORVIK_DISK_TRACE_SHIM, 1);
            setenv("ZORVIK_DISK_TRACE", trace.c_str(), 1);
            // the sanitizers' runtime would insist on coming first
            const char* asan = std::getenv("ASAN_OPTIONS");
            const std::string options =
                std::string(asan != nullptr ? asan : "") + ":verify_asan_link_order=0";
            setenv("ASAN_OPTIONS", options.c_str(), 1);
            std::vector<char*> argv{const_cast<char*>(ZORVIK_DISK_STEPS)};
            for (const auto& argument : arguments) {
                argv.push_back(const_cast<char*>(argument.c_str()));
            }
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the operation failed";
        std::vector<Call> calls;
        std::ifstream lines(trace);
        for (std::string line; std::getline(lines, line);) {
            Call call;
            std::istringstream words(line);
            words >> call.what >> call.first >> call.second;
            calls.push_back(call);
        }
        return calls;
    }

    // Where the first call of that kind (and those paths) is, from `start` on; -1 if none.
    static int find(const std::vector<Call>& calls, const std::string& what,
                    const std::string& first, const std::string& second = {}, int start = 0) {
        for (int i = start; i < static_cast<int>(calls.size()); ++i) {
            const Call& call = calls[static_cast<std::size_t>(i)];
            if (call.what == what && call.first == first &&
                (second.empty() || call.second == second)) {
                return i;
            }
        }
        return -1;
    }

    // `destination` got its content from a temporary flushed before its rename, and its folder
    // was flushed after it; the index of that rename.
    static int expectReplacedDurably(const std::vector<Call>& calls,
                                     const std::string& destination) {
        int renamed = -1;
        for (int i = 0; i < static_cast<int>(calls.size()); ++i) {
            if (calls[static_cast<std::size_t>(i)].what == "rename" &&
                calls[static_cast<std::size_t>(i)].second == destination) {
                renamed = i;
            }
        }
        EXPECT_GE(renamed, 0) << "no rename into " << destination;
        if (renamed < 0) {
            return renamed;
        }
        const std::string& temporary = calls[static_cast<std::size_t>(renamed)].first;
        const int flushed = find(calls, "fsync", temporary);
        EXPECT_TRUE(flushed >= 0 && flushed < renamed) << "not flushed before the rename";
        EXPECT_GT(
            find(calls, "fsync-folder", fs::path(destination).parent_path().string(), {}, renamed),
            renamed)
            << "the folder not flushed after the rename";
        return renamed;
    }

    TempFolder root;
    fs::path driveC = root / "c";
    fs::path rings = driveC / "Rings";
    fs::path other = driveC / "Other";
};

TEST_F(DiskOrder, ACopyAndASettingsWriteAreFlushedBeforeTheirRenameAndTheFolderAfter) {
    writeFile(other / "x.wav", "the melody");
    writeFile(rings / "Phone.wav", "the old ring");
    const auto copied =
        traced({"copy", driveC.string(), "C:\\Other\\x.wav", "C:\\Rings\\Phone.wav"});
    expectReplacedDurably(copied, resolved(rings / "Phone.wav"));
    EXPECT_EQ(readFile(rings / "Phone.wav"), "the melody");

    const fs::path store = root / "config" / "HKCU.reg";
    traced({"settings", store.string()});  // the first write makes the file
    expectReplacedDurably(traced({"settings", store.string()}), resolved(store));
}

// Within one volume a move is one rename, and both folders are flushed after it. Across volumes
// (a second one where the machine has it) the copy is flushed before it goes in place, the older
// namesake is kept under a second name until then, and let go only once the source is gone.
TEST_F(DiskOrder, AMoveTellsTheDiskEachStepInAnOrderACrashCannotBreak) {
    writeFile(rings / "a.wav", "a");
    const auto moved = traced({"move", driveC.string(), "C:\\Rings\\a.wav", "C:\\Other\\a.wav"});
    const int renamed = find(moved, "rename", resolved(rings / "a.wav"), resolved(other / "a.wav"));
    ASSERT_GE(renamed, 0);
    for (const fs::path& folder : {other, rings}) {
        EXPECT_GT(find(moved, "fsync-folder", fs::canonical(folder).string(), {}, renamed), renamed)
            << folder << " not flushed after the rename";
    }

    TempFolder secondVolume("/dev/shm");
    struct stat here {};
    struct stat there {};
    if (::stat(rings.c_str(), &here) != 0 || ::stat(secondVolume.path().c_str(), &there) != 0 ||
        here.st_dev == there.st_dev) {
        GTEST_SKIP() << "no second volume here";
    }
    fs::create_directory_symlink(secondVolume.path(), driveC / "Deleted");
    writeFile(rings / "x.wav", "the melody");
    writeFile(secondVolume / "x.wav", "an older one");
    const auto across = traced({"move", driveC.string(), "C:\\Rings\\x.wav", "C:\\Deleted\\x.wav"});
    const std::string destination = resolved(secondVolume / "x.wav");
    const int placed = expectReplacedDurably(across, destination);
    int kept = -1;
    for (int i = 0; i < placed; ++i) {
        if (across[static_cast<std::size_t>(i)].what == "link" &&
            across[static_cast<std::size_t>(i)].first == destination) {
            kept = i;
        }
    }
    ASSERT_GE(kept, 0) << "the older namesake was not kept aside before it was replaced";
    const int sourceGone = find(across, "unlink", resolved(rings / "x.wav"), {}, placed);
    EXPECT_GT(sourceGone, placed) << "the source must go after the copy is in place";
    EXPECT_GT(find(across, "fsync-folder", fs::canonical(rings).string(), {}, sourceGone),
              sourceGone);
    EXPECT_GT(find(across, "unlink", across[static_cast<std::size_t>(kept)].second), sourceGone)
        << "the older namesake let go before the source was gone";
    EXPECT_EQ(readFile(secondVolume / "x.wav"), "the melody");
    EXPECT_EQ(listing(secondVolume.path()), "x.wav");
    EXPECT_EQ(listing(rings), "");
}

// A move cut short once its copy was whole is finished by the next start: the source and the
// older namesake kept aside go, each removal told to the disk through its folder.
TEST_F(DiskOrder, AMoveCutShortIsFinishedDurably) {
    writeFile(rings / "x.wav", "the melody");
    writeFile(other / "x.wav", "the melody");
    writeFile(other / ".zorvik-kept-1a.tmp", "an older one");
    const auto settled = traced({"settle", driveC.string(), "C:\\Rings\\x.wav", "C:\\Other\\x.wav",
                                 "C:\\Other\\.zorvik-kept-1a.tmp"});
    const struct {
        fs::path removed;
        fs::path folder;
    } removals[] = {{rings / "x.wav", rings}, {other / ".zorvik-kept-1a.tmp", other}};
    for (const auto& [removed, folder] : removals) {
        const int gone = find(settled, "unlink", resolved(removed));
        ASSERT_GE(gone, 0) << removed;
        EXPECT_GT(find(settled, "fsync-folder", fs::canonical(folder).string(), {}, gone), gone)
            << folder << " not flushed after the removal";
    }
    EXPECT_EQ(listing(other), "x.wav");
    EXPECT_EQ(listing(rings), "");
}

}  // namespace
}  // namespace zorvik
