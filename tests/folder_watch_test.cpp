// A repaint re-reads the list's folder only when a watch says it may have changed. These tests
// prove that this shows exactly what a re-read would: a list over a watched folder and a list
// that reads the folder every time go through the same changes, made in every way and within
// one step of the clock, and must agree after every repaint, entries, selection and place.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>
#include <utility>

#include "melody_library/melody_list.h"
#include "platform/posix/posix_file_system.h"
#include "tests/support/temp_folder.h"

namespace zorvik {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;
using testing::writeFile;

// The real file system, seen through its listing only: every repaint reads the folder, and
// `listings` counts the reads.
class ListingOnly final : public FileSystem {
public:
    explicit ListingOnly(const FileSystem& files, bool watch = false)
        : files_(files), watch_(watch) {}

    Result<std::vector<std::string>> listMelodies(std::string_view folder) const override {
        ++listings;
        auto names = files_.listMelodies(folder);
        if (whileListing) {
            std::exchange(whileListing, nullptr)();
        }
        return names;
    }
    std::unique_ptr<FolderWatch> watchFolder(std::string_view folder) const override {
        return watch_ ? files_.watchFolder(folder) : nullptr;
    }
    Result<std::unique_ptr<PreparedCopy>> prepareCopy(std::string_view, std::string_view,
                                                      CopyProgress*) override {
        return Failure{ErrorCode::Unsupported, {}};
    }
    Status moveFile(std::string_view, std::string_view, MoveJournal*, const CopyRunner&) override {
        return Failure{ErrorCode::Unsupported, {}};
    }
    Status settleMove(std::string_view, std::string_view, std::string_view) override {
        return Failure{ErrorCode::Unsupported, {}};
    }
    Status deleteFile(std::string_view) override { return Failure{ErrorCode::Unsupported, {}}; }
    Result<bool> exists(std::string_view) override { return Failure{ErrorCode::Unsupported, {}}; }
    void removeAbandonedTemporaries(std::string_view) override {}
    void routeChangesThrough(FileSteps*) override {}
    bool takeRightsRefusal(std::string_view) override { return false; }
    Result<std::string> hostPath(std::string_view path) const override {
        return files_.hostPath(path);
    }

    mutable int listings = 0;
    // A change made once, as if while the next listing read the folder, after it had read it.
    mutable std::function<void()> whileListing;

private:
    const FileSystem& files_;
    bool watch_;
};

constexpr const char* kRings = "C:\\Program Files\\Zorvik\\Rings";

class FolderWatchTest : public ::testing::Test {
protected:
    FolderWatchTest() {
        fs::create_directories(rings);
        for (const char* name : {"a.wav", "b.wav", "Звън.wav", "note.txt"}) {
            writeFile(rings / name, "x");
        }
        for (MelodyList* list : {&watched, &reread}) {
            list->setRememberedName([this](std::string_view) { return remembered; });
            EXPECT_TRUE(list->setPath(kRings).ok());
        }
    }

    // Both lists repainted: they must agree with each other and with a fresh listing.
    void repaintAndCompare(const std::string& after) {
        SCOPED_TRACE(after);
        const auto entriesBefore = watched.entries();
        const auto revisionBefore = watched.revision();
        watched.Refresh();
        reread.Refresh();
        const auto fresh = files.listMelodies(kRings);
        EXPECT_EQ(watched.entries(), fresh.ok() ? fresh.value() : std::vector<std::string>{});
        EXPECT_EQ(watched.entries(), reread.entries());
        EXPECT_EQ(watched.selectedIndex(), reread.selectedIndex());
        EXPECT_EQ(watched.currentIndex(), reread.currentIndex());
        EXPECT_EQ(watched.revision(), reread.revision());
        // a view redraws the names only when the revision moves
        EXPECT_EQ(watched.revision() != revisionBefore, watched.entries() != entriesBefore);
    }

    void select(std::size_t index) {
        watched.select(index);
        reread.select(index);
    }

    TempFolder root;
    fs::path drive = root / "c";
    fs::path zorvik = drive / "Program Files" / "Zorvik";
    fs::path rings = zorvik / "Rings";
    posix::PosixFileSystem files{posix::DriveMap(drive.string())};
    ListingOnly watching{files, true};
    ListingOnly rereading{files};
    MelodyList watched{watching};
    MelodyList reread{rereading};
    std::string remembered;
};

TEST_F(FolderWatchTest, EveryRepaintShowsWhatARereadWould) {
    const fs::path outside = root / "outside";
    fs::create_directories(outside);
    struct Change {
        const char* what;
        std::function<void()> make;
    };
    const Change changes[] = {
        {"nothing", [] {}},
        {"a melody added", [&] { writeFile(rings / "c.wav", "x"); }},
        {"another file added", [&] { writeFile(rings / "c.txt", "x"); }},
        {"a folder named as a melody", [&] { fs::create_directory(rings / "folder.wav"); }},
        {"a name Windows cannot hold", [&] { writeFile(rings / "bad:name.wav", "x"); }},
        {"a melody removed", [&] { fs::remove(rings / "b.wav"); }},
        {"a melody renamed", [&] { fs::rename(rings / "a.wav", rings / "d.wav"); }},
        {"renamed to another kind", [&] { fs::rename(rings / "d.wav", rings / "d.txt"); }},
        {"renamed back to a melody", [&] { fs::rename(rings / "d.txt", rings / "d.wav"); }},
        {"its case changed", [&] { fs::rename(rings / "d.wav", rings / "D.WAV"); }},
        {"replaced by another file",
         [&] {
             writeFile(rings / "new.tmp", "y");
             fs::rename(rings / "new.tmp", rings / "D.WAV");
         }},
        {"replaced by a folder",
         [&] {
             fs::remove(rings / "c.wav");
             fs::create_directory(rings / "c.wav");
         }},
        {"moved in",
         [&] {
             writeFile(outside / "in.wav", "x");
             fs::rename(outside / "in.wav", rings / "in.wav");
         }},
        {"moved out", [&] { fs::rename(rings / "in.wav", outside / "in.wav"); }},
        {"a hard link added",
         [&] { fs::create_hard_link(outside / "in.wav", rings / "hard.wav"); }},
        {"a melody's content and times changed",
         [&] {
             writeFile(rings / "hard.wav", "new content");
             fs::last_write_time(rings / "D.WAV", fs::file_time_type());
         }},
        {"a link to a melody",
         [&] {
             writeFile(outside / "target", "x");
             fs::create_symlink(outside / "target", rings / "link.wav");
         }},
        {"the link's target removed", [&] { fs::rename(outside / "target", outside / "away"); }},
        {"the link's target back", [&] { fs::rename(outside / "away", outside / "target"); }},
        {"the link removed", [&] { fs::remove(rings / "link.wav"); }},
        {"the link's target removed after the link", [&] { fs::remove(outside / "target"); }},
        {"the folder replaced by another",
         [&] {
             fs::rename(rings, zorvik / "Old");
             fs::create_directory(rings);
             writeFile(rings / "other.wav", "x");
         }},
        {"the folder's case changed", [&] { fs::rename(rings, zorvik / "RINGS"); }},
        {"a second folder matching it ignoring case",
         [&] { fs::create_directory(zorvik / "rings"); }},
        {"that second folder gone", [&] { fs::remove(zorvik / "rings"); }},
        {"the folder removed", [&] { fs::remove_all(zorvik / "RINGS"); }},
        {"the folder back",
         [&] {
             fs::create_directory(rings);
             writeFile(rings / "back.wav", "x");
         }},
        {"a folder above replaced",
         [&] {
             fs::rename(zorvik, drive / "Program Files" / "Gone");
             fs::create_directories(rings);
             writeFile(rings / "above.wav", "x");
             writeFile(rings / "b.wav", "x");
         }},
        {"a folder above a link elsewhere",
         [&] {
             fs::rename(zorvik, drive / "Program Files" / "Real");
             fs::create_directory_symlink(outside, zorvik);
             fs::create_directories(outside / "Rings");
             writeFile(outside / "Rings" / "linked.wav", "x");
         }},
    };
    std::size_t step = 0;
    for (const auto& change : changes) {
        // the place and the selection are part of what must agree: move them around
        if (!watched.entries().empty()) {
            select(step++ % watched.entries().size());
        }
        remembered = step % 3 == 0 ? "b.wav" : "";
        change.make();
        repaintAndCompare(std::string("after ") + change.what);
        repaintAndCompare(std::string("after ") + change.what + ", once more");
    }
}

TEST_F(FolderWatchTest, ManyChangesWithinOneStepOfTheClockAreAllSeen) {
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const auto name = [&] {
        static const char* const kNames[] = {"a.wav", "A.WAV", "b.wav", "ц.wav", "Ц.WAV", "x.txt"};
        return rings / kNames[pick(6)];
    };
    for (int round = 0; round < 400; ++round) {
        const fs::path one = name();
        const fs::path other = name();
        std::error_code ignored;
        switch (pick(4)) {
            case 0:
                writeFile(one, "x");
                break;
            case 1:
                fs::remove(one, ignored);
                break;
            case 2:
                fs::rename(one, other, ignored);
                break;
            default:
                if (!watched.entries().empty()) {
                    select(
                        static_cast<std::size_t>(pick(static_cast<int>(watched.entries().size()))));
                }
                break;
        }
        if (pick(3) == 0) {
            repaintAndCompare("round " + std::to_string(round));
        }
    }
}

TEST_F(FolderWatchTest, AChangeWhileTheFolderIsReadIsSeenByTheNextRepaint) {
    const struct {
        const char* reading;
        std::function<void()> read;
    } readings[] = {
        {"setting the folder", [&] { ASSERT_TRUE(watched.setPath(kRings).ok()); }},
        {"a repaint after a change",
         [&] {
             writeFile(rings / "c.wav", "x");
             watched.Refresh();
         }},
    };
    int late = 0;
    for (const auto& reading : readings) {
        SCOPED_TRACE(reading.reading);
        const std::string name = "late" + std::to_string(late++) + ".wav";
        watching.whileListing = [&] { writeFile(rings / name, "x"); };
        reading.read();
        watched.Refresh();
        const auto& entries = watched.entries();
        EXPECT_NE(std::find(entries.begin(), entries.end(), name), entries.end());
    }
}

TEST_F(FolderWatchTest, AnUnchangedFolderIsNotReadAgain) {
    const int afterLoad = watching.listings;
    for (int i = 0; i < 3; ++i) {
        watched.Refresh();
    }
    EXPECT_EQ(watching.listings, afterLoad) << "the load's reading serves the repaints";
    writeFile(rings / "c.wav", "x");
    watched.Refresh();
    watched.Refresh();
    EXPECT_EQ(watching.listings, afterLoad + 1);

    // a link's target can change unseen: such a folder is read on every repaint
    fs::create_symlink(rings / "c.wav", rings / "link.wav");
    watched.Refresh();
    const int withLink = watching.listings;
    watched.Refresh();
    watched.Refresh();
    EXPECT_EQ(watching.listings, withLink + 2);
}

TEST_F(FolderWatchTest, FoldersWhoseChangesMayGoUnseenAreNotWatched) {
    EXPECT_NE(files.watchFolder(kRings), nullptr);
    EXPECT_EQ(files.watchFolder("C:\\Missing"), nullptr);
    // kernel file systems that no inotify event describes, like a network one
    for (const char* folder : {"Z:\\proc", "Z:\\sys"}) {
        if (fs::is_directory(std::string("/") + (folder + 3))) {
            EXPECT_EQ(files.watchFolder(folder), nullptr) << folder;
        }
    }
}

}  // namespace
}  // namespace zorvik
