#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/posix/posix_file_system.h"
#include "tests/support/temp_folder.h"

namespace zorvik {
namespace {

using testing::listing;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;
namespace fs = std::filesystem;

class FileSystemTest : public ::testing::Test {
protected:
    FileSystemTest() : files(posix::DriveMap((root / "c").string())) {
        fs::create_directories(rings);
        fs::create_directories(root / "c" / "Other");
    }
    std::vector<std::string> list(const std::string& folder) {
        auto names = files.listMelodies(folder);
        EXPECT_TRUE(names.ok()) << (names.ok() ? "" : names.failure().message);
        return names.ok() ? names.value() : std::vector<std::string>{};
    }
    ErrorCode copyCode(const std::string& from, const std::string& to) {
        const Status copied = files.copyFile(from, to);
        return copied.ok() ? ErrorCode::Other : copied.code();
    }

    TempFolder root;
    fs::path rings = root / "c" / "Rings";
    posix::PosixFileSystem files;
};

TEST_F(FileSystemTest, ListsOnlyWavFilesSortedIgnoringCase) {
    for (const char* name : {"b.wav", "A.WAV", "ц.wav", "Б.Wav", "a.txt", "c.wave", "x.wav.bak"}) {
        writeFile(rings / name, "x");
    }
    fs::create_directory(rings / "folder.wav");
    fs::create_symlink(rings / "b.wav", rings / "link.wav");
    fs::create_symlink(rings / "gone", rings / "dangling.wav");
    writeFile(rings / "bad:name.wav", "x");  // Windows cannot hold it: never shown
    writeFile(rings / "bad\\name.wav", "x");
    const std::vector<std::string> expected = {"A.WAV", "b.wav", "link.wav", "Б.Wav", "ц.wav"};
    EXPECT_EQ(list("C:\\Rings"), expected);
    EXPECT_EQ(list("c:\\rings\\"), expected);
}

TEST_F(FileSystemTest, ListingAMissingFolderOrAFileFails) {
    writeFile(rings / "a.wav", "x");
    for (const char* folder : {"C:\\Nowhere", "C:\\Rings\\a.wav", "D:\\Rings"}) {
        const auto names = files.listMelodies(folder);
        ASSERT_FALSE(names.ok()) << folder;
        EXPECT_NE(names.failure().message.find(folder), std::string::npos)
            << names.failure().message;
    }
}

TEST_F(FileSystemTest, CopyReplacesTheDestinationAndKeepsNoTemporaryFile) {
    writeFile(root / "c" / "Other" / "new.wav", "new melody");
    writeFile(rings / "old.wav", "old melody");
    ASSERT_TRUE(files.copyFile("C:\\Other\\new.wav", "C:\\Rings\\old.wav").ok());
    EXPECT_EQ(readFile(rings / "old.wav"), "new melody");
    ASSERT_TRUE(files.copyFile("C:\\Other\\NEW.WAV", "C:\\Rings\\Звън.wav").ok());
    EXPECT_EQ(readFile(rings / "Звън.wav"), "new melody");
    EXPECT_EQ(listing(rings), "old.wav Звън.wav");
}

TEST_F(FileSystemTest, CopyOverACaseVariantReplacesThatFile) {
    writeFile(root / "c" / "Other" / "new.wav", "new");
    writeFile(rings / "Ring.wav", "old");
    ASSERT_TRUE(files.copyFile("C:\\Other\\new.wav", "C:\\Rings\\RING.WAV").ok());
    EXPECT_EQ(listing(rings), "Ring.wav");
    EXPECT_EQ(readFile(rings / "Ring.wav"), "new");
}

TEST_F(FileSystemTest, CopyFailsWhereWindowsCopyFails) {
    writeFile(rings / "a.wav", "a");
    fs::create_hard_link(rings / "a.wav", root / "c" / "Other" / "hard.wav");
    fs::create_directory(rings / "dir.wav");
    struct Case {
        const char* from;
        const char* to;
        ErrorCode code;
    };
    const Case cases[] = {
        {"C:\\Rings\\a.wav", "C:\\Rings\\a.wav", ErrorCode::SameFile},
        {"C:\\Rings\\a.wav", "C:\\rings\\A.WAV", ErrorCode::SameFile},     // case variant
        {"C:\\Other\\hard.wav", "C:\\Rings\\a.wav", ErrorCode::SameFile},  // hard link
        {"C:\\Rings\\missing.wav", "C:\\Other\\x.wav", ErrorCode::NotFound},
        {"C:\\Rings\\a.wav", "C:\\Nowhere\\a.wav", ErrorCode::FolderNotFound},
        {"C:\\Rings\\", "C:\\Other\\x.wav", ErrorCode::IsFolder},
        {"C:\\Rings", "C:\\Other\\x.wav", ErrorCode::IsFolder},
        {"C:\\Rings\\a.wav", "C:\\Rings\\dir.wav", ErrorCode::IsFolder},
        {"C:\\Rings\\a.wav", "Q:\\x.wav", ErrorCode::NoDrive},
        {"C:\\Rings\\a.wav", "C:\\Other\\a?.wav", ErrorCode::InvalidName},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(copyCode(c.from, c.to), c.code) << c.from << " -> " << c.to;
    }
    EXPECT_EQ(readFile(rings / "a.wav"), "a");
    EXPECT_EQ(listing(rings), "a.wav dir.wav");
}

TEST_F(FileSystemTest, CopyFromAFifoFailsAtOnceInsteadOfWaiting) {
    ASSERT_EQ(mkfifo((rings / "pipe.wav").c_str(), 0600), 0);
    EXPECT_EQ(copyCode("C:\\Rings\\pipe.wav", "C:\\Other\\pipe.wav"), ErrorCode::Unsupported);
}

TEST_F(FileSystemTest, CopyOntoAReadOnlyFileFailsAndLeavesIt) {
    writeFile(rings / "a.wav", "a");
    writeFile(root / "c" / "Other" / "locked.wav", "locked");
    fs::permissions(root / "c" / "Other" / "locked.wav", fs::perms::owner_read);
    EXPECT_EQ(copyCode("C:\\Rings\\a.wav", "C:\\Other\\locked.wav"), ErrorCode::ReadOnly);
    EXPECT_EQ(readFile(root / "c" / "Other" / "locked.wav"), "locked");
}

TEST_F(FileSystemTest, ACopyCutShortMidwayLeavesTheOldDestinationWhole) {
    const std::string big(256 * 1024, 'n');
    writeFile(root / "c" / "Other" / "big.wav", big);
    writeFile(rings / "ring.wav", "the old ring melody");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // the file size limit stops the write a quarter of the way in
        const rlimit limit{64 * 1024, 64 * 1024};
        setrlimit(RLIMIT_FSIZE, &limit);
        const Status copied = files.copyFile("C:\\Other\\big.wav", "C:\\Rings\\ring.wav");
        _exit(!copied.ok() && copied.code() == ErrorCode::TooLarge ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the copy ended the process";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the copy did not report the failure";
    EXPECT_EQ(readFile(rings / "ring.wav"), "the old ring melody");
    EXPECT_EQ(listing(rings), "ring.wav");
}

TEST_F(FileSystemTest, DeleteRemovesOneFileAndFailsOnAnythingElse) {
    writeFile(rings / "a.wav", "a");
    fs::create_directory(rings / "dir.wav");
    EXPECT_EQ(files.deleteFile("C:\\Rings\\").code(), ErrorCode::NotFound);
    EXPECT_EQ(files.deleteFile("C:\\Rings\\missing.wav").code(), ErrorCode::NotFound);
    EXPECT_EQ(files.deleteFile("C:\\Rings\\dir.wav").code(), ErrorCode::IsFolder);
    EXPECT_EQ(files.deleteFile("C:\\Nowhere\\a.wav").code(), ErrorCode::NotFound);
    EXPECT_TRUE(files.deleteFile("c:\\RINGS\\A.WAV").ok());
    EXPECT_EQ(listing(rings), "dir.wav");
}

TEST_F(FileSystemTest, FailureMessagesNameTheFilesAndTheReasonInBulgarian) {
    const Status copied = files.copyFile("C:\\Rings\\missing.wav", "C:\\Other\\x.wav");
    ASSERT_FALSE(copied.ok());
    EXPECT_EQ(copied.failure().message,
              "Файлът „C:\\Rings\\missing.wav“ не може да бъде копиран в „C:\\Other\\x.wav“: "
              "изходният файл не съществува.");
    const Status deleted = files.deleteFile("C:\\Rings\\missing.wav");
    EXPECT_EQ(deleted.failure().message,
              "Файлът „C:\\Rings\\missing.wav“ не може да бъде изтрит: файлът не съществува.");
}

}  // namespace
}  // namespace zorvik
