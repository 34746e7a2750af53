#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/posix/host_errors.h"
#include "platform/posix/posix_file_system.h"
#include "tests/support/temp_folder.h"
#include "tests/support/whole_copy.h"
#include "texts/texts.h"

namespace zorvik {
namespace {

using posix::FileDescriptor;
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
    // The copy's failure: its code, and its message
    std::pair<ErrorCode, std::string> copyFailure(const std::string& from, const std::string& to) {
        const Status copied = testing::copyFile(files, from, to);
        return copied.ok() ? std::pair{ErrorCode::Other, std::string()}
                           : std::pair{copied.code(), copied.failure().message};
    }

    TempFolder root;
    fs::path rings = root / "c" / "Rings";
    posix::PosixFileSystem files;
};

TEST_F(FileSystemTest, LinksAndNamesWindowsCannotHoldStayOutOfTheList) {
    // the names and cases every backend lists alike are the contract's; these are the host's own
    writeFile(rings / "b.wav", "x");
    fs::create_symlink(rings / "b.wav", rings / "link.wav");
    fs::create_symlink(rings / "gone", rings / "dangling.wav");
    for (const char* name : {"bad:name.wav", "bad\\name.wav", "star*.wav", "new\nline.wav",
                             "bad\xFFutf8.wav", "con.wav", "trailing.wav."}) {
        writeFile(rings / name, "x");  // Windows cannot hold them: never shown
    }
    EXPECT_EQ(list("c:\\rings\\"), (std::vector<std::string>{"b.wav", "link.wav"}));
}

TEST_F(FileSystemTest, CopyFailsWhereWindowsCopyFails) {
    writeFile(rings / "a.wav", "a");
    ASSERT_EQ(mkfifo((rings / "pipe.wav").c_str(), 0600), 0);
    struct Case {
        const char* from;
        const char* to;
        ErrorCode code;
        std::string_view reason = {};  // what the message says, where the code says too little
    };
    // what a POSIX host and its drive mapping add to the contract every backend keeps
    const Case cases[] = {
        {"C:\\Rings\\a.wav", "Q:\\x.wav", ErrorCode::NoDrive},
        {"C:\\Rings\\a.wav", "C:\\Other\\a?.wav", ErrorCode::InvalidName},
        {"C:\\Rings\\a.wav", "C:\\Other\\NUL.wav", ErrorCode::InvalidName},
        // a FIFO fails at once instead of waiting for a writer
        {"C:\\Rings\\pipe.wav", "C:\\Other\\pipe.wav", ErrorCode::Unsupported,
         texts::reason(failure_text::Detail::SourceNotRegular)},
    };
    const auto openFiles = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), {});
    };
    const auto openBefore = openFiles();
    for (const auto& c : cases) {
        const auto [code, message] = copyFailure(c.from, c.to);
        EXPECT_EQ(code, c.code) << c.from << " -> " << c.to;
        EXPECT_NE(message.find(c.reason), std::string::npos) << message;
    }
    (void)files.prepareCopy("C:\\Rings\\a.wav", "C:\\Other\\b.wav");  // and abandoned
    EXPECT_EQ(openFiles(), openBefore) << "a copy that fails or is abandoned keeps nothing open";
    EXPECT_EQ(readFile(rings / "a.wav"), "a");
    EXPECT_EQ(listing(rings), "a.wav pipe.wav");
}

// A copy keeps holes only where its source has them: a sparse melody gives a sparse copy, and a
// melody whose zeros are written gives a copy that takes its whole room.
TEST_F(FileSystemTest, ACopyIsSparseOnlyWhereItsSourceIs) {
    constexpr off_t kSize = 8 << 20;
    const fs::path sparse = root / "c" / "Other" / "sparse.wav";
    {
        FileDescriptor fd(::open(sparse.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644));
        ASSERT_TRUE(fd.valid());
        ASSERT_EQ(::pwrite(fd.get(), "RIFF", 4, 0), 4);
        ASSERT_EQ(::pwrite(fd.get(), "data", 4, kSize / 2), 4);
        ASSERT_EQ(::ftruncate(fd.get(), kSize), 0);
    }
    writeFile(root / "c" / "Other" / "dense.wav", std::string(kSize, '\0'));
    const auto allocated = [](const fs::path& file) {
        struct stat info {};
        ::stat(file.c_str(), &info);
        return static_cast<off_t>(info.st_blocks) * 512;
    };
    if (allocated(sparse) >= kSize / 2) {
        GTEST_SKIP() << "this file system keeps no holes";
    }
    ASSERT_TRUE(testing::copyFile(files, "C:\\Other\\sparse.wav", "C:\\Rings\\sparse.wav").ok());
    ASSERT_TRUE(testing::copyFile(files, "C:\\Other\\dense.wav", "C:\\Rings\\dense.wav").ok());
    EXPECT_EQ(readFile(rings / "sparse.wav"), readFile(sparse));
    EXPECT_LT(allocated(rings / "sparse.wav"), kSize / 2);
    EXPECT_GE(allocated(rings / "dense.wav"), kSize);
    EXPECT_EQ(fs::last_write_time(rings / "dense.wav"),
              fs::last_write_time(root / "c" / "Other" / "dense.wav"))
        << "a copy keeps the melody's time, as Windows' own copy does";
}

}  // namespace
}  // namespace zorvik
