// What the user reads when something fails on a Linux machine: paths as the user knows them, the
// settings file named, the real reason; and a settings file whose owner has a say in it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "tests/support/posix_form_fixture.h"
#include "tests/support/sound_files.h"

namespace zorvik {
namespace {

using testing::PosixFormFixture;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;
namespace fs = std::filesystem;

class PosixFailures : public PosixFormFixture, public ::testing::Test {
protected:
    bool mentions(std::size_t error, const std::string& text) const {
        return error < box.errors.size() &&
               box.errors[error].message.find(text) != std::string::npos;
    }
    TempFolder elsewhere;
};

TEST_F(PosixFailures, PathsOffDriveCAreShownAsTheHostsOwn) {
    open();
    const fs::path melody = elsewhere / "мелодия.wav";
    writeFile(melody, testing::waveFile("m"));
    fs::remove_all(rings);
    addThroughDialog(testing::onDriveZ(melody));
    ASSERT_EQ(box.errors.size(), 1u);
    EXPECT_TRUE(mentions(0, "„" + melody.string() + "“")) << box.errors[0].message;
    EXPECT_FALSE(mentions(0, "Z:\\")) << box.errors[0].message;
    // drive C: is the phone program's world and keeps its Windows form
    EXPECT_TRUE(mentions(0, "„C:\\Program Files\\Zorvik\\Rings\\мелодия.wav“"));
}

// A file where a folder of the path should be: the box says so, of whichever end of the operation.
TEST_F(PosixFailures, APathThroughAFileSaysSo) {
    const struct {
        const char* what;
        std::function<void()> act;
        const char* said;
    } rows[] = {
        {"a sound added from below a file",
         [this] {
             writeFile(elsewhere / "file", "not a folder");
             open();
             addThroughDialog(testing::onDriveZ(elsewhere / "file" / "x.wav"));
         },
         "е файл, а не папка"},
        {"a melody moved into a Deleted folder that is a file",
         [this] {
             writeFile(deleted, "not a folder");
             writeStore("\"inDeleted\"=dword:00000001\n");
             open();
             clickEntry("a.wav");
             box.answer(kAnswerOk);
             form->Command3_Click();
         },
         "„C:\\Program Files\\Zorvik\\Rings\\Deleted“ е файл, а не папка"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        fs::remove_all(rings);
        fs::create_directories(rings);
        addMelody(rings, "a.wav");
        box.errors.clear();
        row.act();
        ASSERT_EQ(box.errors.size(), 1u);
        EXPECT_TRUE(mentions(0, row.said)) << box.errors[0].message;
        EXPECT_FALSE(mentions(0, "не съществува")) << box.errors[0].message;
        EXPECT_TRUE(fs::is_regular_file(rings / "a.wav"));
        close();
    }
}

// Where the settings file cannot be written, the box at closing names the value and the file
// the user can look at, with the real reason; nothing the user made is replaced.
TEST_F(PosixFailures, SettingsFailuresNameTheSettingsFileAndTheRealReason) {
    const fs::path folder = storePath().parent_path();
    open();
    // the start makes the folder, for the lock the ring choice is made under
    fs::remove_all(folder);
    writeFile(folder, "a file where the folder goes");
    close();
    ASSERT_EQ(box.errors.size(), 1u);
    EXPECT_TRUE(mentions(0, "HKEY_CURRENT_USER\\Zorvik\\Setings\\Audio")) << box.errors[0].message;
    EXPECT_TRUE(mentions(0, "„" + storePath().string() + "“")) << box.errors[0].message;
    EXPECT_TRUE(mentions(0, "част от пътя е файл, а не папка")) << box.errors[0].message;
    EXPECT_TRUE(fs::is_regular_file(folder)) << "what the user made stays";
}

TEST_F(PosixFailures, AReadOnlySettingsFileIsNeverReplaced) {
    writeStore("\"Audio\"=dword:00000001\n");
    const std::string before = storeText();
    fs::permissions(storePath(), fs::perms::owner_read);
    open();
    form->clickCheck1();
    close();
    ASSERT_EQ(box.errors.size(), 1u);
    EXPECT_TRUE(mentions(0, "само за четене")) << box.errors[0].message;
    EXPECT_EQ(storeText(), before);
    EXPECT_EQ(fs::status(storePath()).permissions() & fs::perms::all, fs::perms::owner_read);
}

TEST_F(PosixFailures, ASymlinkedSettingsFileStaysALinkAndItsTargetIsReplaced) {
    const fs::path target = elsewhere / "kept-elsewhere.reg";
    writeFile(target,
              "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Zorvik\\Setings]\n"
              "\"Audio\"=dword:00000001\n");
    fs::create_directories(storePath().parent_path());
    // through a second link, named relative to the first's folder
    fs::create_symlink(target, storePath().parent_path() / "hop.reg");
    fs::create_symlink("hop.reg", storePath());
    open();
    EXPECT_EQ(form->Check1().Value(), 1);
    form->clickCheck2();
    close();
    EXPECT_TRUE(box.errors.empty()) << box.errors[0].message;
    EXPECT_TRUE(fs::is_symlink(storePath()) &&
                fs::is_symlink(storePath().parent_path() / "hop.reg"));
    EXPECT_NE(readFile(target).find("\"inDeleted\"=dword:00000001"), std::string::npos);
    EXPECT_EQ(testing::listing(elsewhere.path()), "kept-elsewhere.reg")
        << "no temporary file stays";
}

}  // namespace
}  // namespace zorvik
