#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "tests/support/forked_child.h"
#include "tests/support/posix_form_fixture.h"
#include "tests/support/sound_files.h"

namespace zorvik {
namespace {

using testing::listing;
using testing::PosixFormFixture;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;
namespace fs = std::filesystem;

constexpr std::size_t kBig = 256 * 1024;

// Runs `act` in a child process whose writes stop at `limitBytes` (a file size limit), and
// returns what the child reported: 0 when `act` returned true.
int inChildWithFileSizeLimit(rlim_t limitBytes, const std::function<bool()>& act) {
    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit{limitBytes, limitBytes};
        setrlimit(RLIMIT_FSIZE, &limit);
        testing::endChild(act() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

class WriteFailures : public PosixFormFixture, public ::testing::Test {
protected:
    WriteFailures() {
        writeFile(install / "Phone.wav", "the old ring");
        addMelody(rings, "big.wav", std::string(kBig, 'b'));
        addMelody(rings, "small.wav", "small");
        writeFile(elsewhere / "big.wav", testing::waveFile(std::string(kBig, 'B')));
    }
    // One failure shown, naming the reason.
    bool shownOnce(const char* reason) {
        return box.errors.size() == 1 && box.errors[0].message.find(reason) != std::string::npos;
    }
    TempFolder elsewhere;
};

// A copy that does not fit is shown, and what it would have replaced keeps its bytes: the ring
// file with its record, or the added melody's namesake.
TEST_F(WriteFailures, ACopyThatDoesNotFitLeavesWhatItWouldReplaceWhole) {
    writeStore("\"RingSound\"=\"small.wav\"\n");
    const std::string store = storeText();
    // a sound converted over big.wav: more than the limit once it is a WAV
    writeFile(elsewhere / "big.ogg", testing::fakeSound(2, 22050, kBig));
    for (const char* added : {"", "big.wav", "big.ogg"}) {
        SCOPED_TRACE(*added == '\0' ? "the ring choice" : added);
        box.errors.clear();
        open();
        clickEntry("big.wav");
        dialog.choose(testing::onDriveZ(elsewhere / added));
        box.answer(kAnswerOk);
        EXPECT_EQ(inChildWithFileSizeLimit(64 * 1024,
                                           [&] {
                                               *added == '\0' ? form->Command2_Click()
                                                              : form->nm_Click();
                                               return shownOnce("твърде голям");
                                           }),
                  0)
            << "the failure was not shown";
        EXPECT_EQ(readFile(install / "Phone.wav"), "the old ring");
        EXPECT_EQ(listing(install), "Phone.wav Rings");
        EXPECT_EQ(storeText(), store);
        EXPECT_EQ(readFile(rings / "big.wav"), std::string(kBig, 'b'));
        EXPECT_EQ(listing(rings), "Deleted big.wav small.wav");
    }
}

// Within one volume a move is one rename: it needs no room at all, so even a full disk moves the
// whole melody, both ways.
TEST_F(WriteFailures, AMoveWithinOneVolumeNeedsNoRoomAndMovesTheWholeMelody) {
    addMelody(deleted, "back.wav", std::string(kBig, 'd'));
    writeStore("\"inDeleted\"=dword:00000001\n");
    open();
    clickEntry("big.wav");
    box.answer(kAnswerOk);
    EXPECT_EQ(inChildWithFileSizeLimit(1024,
                                       [&] {
                                           form->Command3_Click();  // into Deleted
                                           form->pd_Click();
                                           clickEntry("back.wav");
                                           form->Command3_Click();  // and one back
                                           return box.errors.empty();
                                       }),
              0);
    EXPECT_EQ(readFile(deleted / "big.wav"), std::string(kBig, 'b'));
    EXPECT_EQ(readFile(rings / "back.wav"), std::string(kBig, 'd'));
    EXPECT_EQ(listing(rings), "Deleted back.wav small.wav");
    EXPECT_EQ(listing(deleted), "big.wav");
}

// A real full disk: the Deleted folder on a 64 KiB tmpfs, in a mount namespace of the child's
// own. Needs the right to mount; skips where the machine does not give it.
TEST_F(WriteFailures, AMoveOntoAFullDiskIsShownAndTheMelodyStays) {
    writeStore("\"inDeleted\"=dword:00000001\n");
    open();
    clickEntry("big.wav");
    box.answer(kAnswerOk);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", deleted.c_str(), "tmpfs", 0, "size=64k") != 0) {
            _exit(77);
        }
        form->Command3_Click();
        const bool shown = shownOnce("няма достатъчно свободно място");
        const bool noLeftovers = listing(deleted).empty();
        testing::endChild(shown && noLeftovers ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77) {
        GTEST_SKIP() << "no right to mount a small file system here";
    }
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the failure was not shown, or a temporary file stayed";
    EXPECT_EQ(readFile(rings / "big.wav"), std::string(kBig, 'b'));
}

}  // namespace
}  // namespace zorvik
