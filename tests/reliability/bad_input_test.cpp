#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>

#include "tests/support/forked_child.h"
#include "tests/support/posix_form_fixture.h"

namespace zorvik {
namespace {

using testing::asOrdinaryUser;
using testing::listing;
using testing::PosixFormFixture;
using testing::readFile;
using testing::writeFile;
namespace fs = std::filesystem;

class BadInput : public PosixFormFixture, public ::testing::Test {
protected:
    void setCheck2(bool ticked) { writeStore(ticked ? "\"inDeleted\"=dword:00000001\n" : ""); }
    const fs::path notes = root / "notes";
    std::string errors() const {
        std::string all;
        for (const auto& shown : box.errors) {
            all += shown.message + "\n";
        }
        return all;
    }
};

TEST_F(BadInput, AwkwardNamesGoThroughEveryOperation) {
    const std::string longName = [] {
        std::string name;
        while (name.size() < 250) {
            name += "Д";  // two bytes each: 250 bytes, 254 with the extension
        }
        return name + ".wav";
    }();
    const std::string names[] = {
        "Звън за обаждане.wav",   " leading space.wav", "-dash.wav", "--help.wav",
        "quote'n'apostrophe.wav", "ünïcødé.WAV",        longName};
    for (const auto& name : names) {
        SCOPED_TRACE(name);
        fs::remove_all(rings);
        fs::create_directories(deleted);
        addMelody(rings, name, "melody " + name);
        box.errors.clear();
        setCheck2(true);
        open();
        chooseRing(name);
        EXPECT_EQ(readFile(install / "Phone.wav"), "melody " + name);
        EXPECT_EQ(form->Text1(), name);
        removeEntry(name);  // into Deleted
        EXPECT_EQ(listing(deleted), name);
        form->pd_Click();
        clickEntry(name);
        form->Command3_Click();  // and back
        EXPECT_TRUE(fs::exists(rings / name));
        close();
        setCheck2(false);
        open();
        removeEntry(name);  // for good
        EXPECT_FALSE(fs::exists(rings / name));
        EXPECT_EQ(errors(), "");
    }
}

TEST_F(BadInput, ReadOnlyFoldersFailVisiblyAndLoseNothing) {
    // everything reachable to the ordinary user, then the folders made read-only
    for (auto path = rings; path != root.path().parent_path(); path = path.parent_path()) {
        fs::permissions(path, fs::perms::all);
        if (path == root.path()) {
            break;
        }
    }
    addMelody(rings, "x.wav", "x");
    addMelody(deleted, "y.wav", "y");
    writeFile(install / "Phone.wav", "ring");
    fs::permissions(install / "Phone.wav", fs::perms::all);
    fs::create_directories(root / "config");
    fs::permissions(root / "config", fs::perms::all);
    const auto readOnly = fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                          fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec;
    for (const auto& folder : {install, rings, deleted}) {
        fs::permissions(folder, readOnly);
    }
    setCheck2(true);
    fs::permissions(storePath(), fs::perms::all);
    // and the settings' folder, where the options are stored at closing through a new file
    for (const char* lockFile : {"ring-choice.lock", "HKCU.reg.lock"}) {
        writeFile(root / "config" / lockFile, "");
        fs::permissions(root / "config" / lockFile, fs::perms::all);
    }
    fs::permissions(root / "config", readOnly);
    const int result = asOrdinaryUser([&] {
        open();
        chooseRing("x.wav");  // the install folder is read-only
        box.answer(kAnswerOk);
        form->Command3_Click();  // into a read-only Deleted folder
        form->pd_Click();
        clickEntry("y.wav");
        form->Command3_Click();  // back into a read-only Rings folder
        close();                 // the options into a read-only folder
        setCheck2(false);
        open();
        removeEntry("x.wav");  // for good, from a read-only folder
        bool allDenied = box.errors.size() == 5 &&
                         box.errors[3].message.find(storePath().string()) != std::string::npos;
        for (const auto& shown : box.errors) {
            allDenied = allDenied && shown.message.find("достъпът е отказан") != std::string::npos;
        }
        return allDenied;
    });
    for (const auto& folder : {install, rings, deleted, root / "config"}) {
        fs::permissions(folder, fs::perms::owner_all);
    }
    if (result == 77) {
        GTEST_SKIP() << "cannot become an ordinary user here";
    }
    EXPECT_EQ(result, 0) << "not every failure was shown as access denied";
    EXPECT_EQ(readFile(install / "Phone.wav"), "ring");
    EXPECT_EQ(listing(rings), "Deleted x.wav");
    EXPECT_EQ(listing(deleted), "y.wav");
}

// Whatever stands where the settings file goes, opening the window never waits and never
// complains, and the ring choice and the close both work: what is no settings file is set
// aside, whole, under a name that says so, and a new file takes its place.
TEST_F(BadInput, DamagedSettingsOpenInDesignStateAndAreSetAsideByTheNextWrite) {
    const std::string header =
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Zorvik\\Setings]\n";
    const auto bytes = [this](std::string content) {
        return [this, content] { writeFile(storePath(), content); };
    };
    struct Case {
        const char* what;
        std::function<void()> make;
        bool parses;  // values of the wrong type in a sound file, rather than a damaged file
    };
    const Case cases[] = {
        {"strings where numbers belong", bytes(header + "\"Audio\"=\"yes\"\n\"inDeleted\"=\"\"\n"),
         true},
        {"binary and multi-string types",
         bytes(header + "\"Audio\"=hex:01\n\"RingSound\"=hex(7):61,00,00,00,00,00\n"), true},
        {"huge numbers",
         bytes(header + "\"Audio\"=dword:ffffffff\n\"inDeleted\"=\"99999999999999999999\"\n"),
         true},
        {"a broken escape", bytes(header + "\"RingSound\"=\"a\\qb.wav\"\n"), false},
        {"binary junk", bytes(std::string("\x00\x01\x02\xFF\xFE\x80junk", 10)), false},
        {"UTF-16 without its byte-order mark", bytes(std::string("W\0i\0n\0", 6)), false},
        {"cut off in the middle", bytes(header.substr(0, header.size() - 5)), false},
        {"larger than any settings file",
         bytes(header + std::string(std::size_t{5} << 20, ';') + "\n"), false},
        {"a FIFO, which nothing writes to",
         [&] { ASSERT_EQ(::mkfifo(storePath().c_str(), 0600), 0); }, false},
        {"a link to /dev/zero", [&] { fs::create_symlink("/dev/zero", storePath()); }, false},
        // never followed to set it aside, nor to clear a writer's leftovers beside it
        {"a link to the user's notes",
         [&] {
             writeFile(notes / "notes.txt", "my notes");
             writeFile(notes / "notes.txt.tmp-keepme", "kept");
             fs::create_symlink(notes / "notes.txt", storePath());
         },
         false},
        {"a link to itself", [&] { fs::create_symlink(storePath(), storePath()); }, false},
        {"a folder", [&] { fs::create_directory(storePath()); }, false},
        {"a socket",
         [&] {
             const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             std::strncpy(address.sun_path, storePath().c_str(), sizeof address.sun_path - 1);
             ASSERT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
             ::close(socket);
         },
         false},
    };
    addMelody(rings, "a.wav", "melody a");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(storePath().parent_path());
        fs::create_directories(storePath().parent_path());
        fs::remove_all(notes);
        fs::create_directories(notes);
        const fs::path handSaved = storePath().string() + ".tmp-saved by hand";
        writeFile(handSaved, "the user's");
        // as long as a writer's own mark, but not of its letters
        const fs::path markedByHand = storePath().string() + ".tmp-my.bak";
        writeFile(markedByHand, "the user's");
        c.make();
        const auto kind = fs::symlink_status(storePath()).type();
        box.errors.clear();
        open();
        EXPECT_EQ(form->Check1().Value(), 0);
        EXPECT_EQ(form->Check2().Value(), 0);
        EXPECT_EQ(form->Text1(), "ddr");
        chooseRing("a.wav");
        EXPECT_EQ(readFile(install / "Phone.wav"), "melody a");
        EXPECT_EQ(form->Text1(), "a.wav");
        close();
        EXPECT_TRUE(box.errors.empty()) << box.errors[0].message;
        std::vector<fs::path> setAside;
        for (const auto& entry : fs::directory_iterator(storePath().parent_path())) {
            if (entry.path().filename().string().find(".corrupt-") != std::string::npos) {
                setAside.push_back(entry.path());
            }
        }
        ASSERT_EQ(setAside.size(), c.parses ? 0u : 1u);
        if (!setAside.empty()) {
            EXPECT_EQ(fs::symlink_status(setAside[0]).type(), kind);
        }
        EXPECT_NE(storeText().find("\"Audio\"=dword:00000000"), std::string::npos);
        EXPECT_NE(storeText().find("\"RingSound\"=\"a.wav\""), std::string::npos);
        const std::string usersFiles = listing(notes);
        EXPECT_TRUE(usersFiles.empty() || (usersFiles == "notes.txt notes.txt.tmp-keepme" &&
                                           readFile(notes / "notes.txt") == "my notes"))
            << usersFiles;
        EXPECT_EQ(readFile(handSaved), "the user's") << "only a writer's own leftovers go";
        EXPECT_EQ(readFile(markedByHand), "the user's");
    }
}

}  // namespace
}  // namespace zorvik
