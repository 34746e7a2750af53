#include <gtest/gtest.h>

#include <filesystem>

#include "platform/posix/drive_map.h"
#include "tests/support/temp_folder.h"

namespace zorvik {
namespace {

using testing::TempFolder;
using testing::writeFile;
namespace fs = std::filesystem;

class DriveMapTest : public ::testing::Test {
protected:
    DriveMapTest() : drives((root / "c").string()) {
        fs::create_directories(root / "c" / "Program Files" / "Zorvik" / "Rings");
        writeFile(root / "c" / "Program Files" / "Zorvik" / "Rings" / "Звън.wav", "x");
    }
    std::string hostOf(const std::string& windowsPath) {
        auto host = drives.resolve(windowsPath);
        return host.ok() ? host.value() : "failed";
    }
    TempFolder root;
    posix::DriveMap drives;
};

TEST_F(DriveMapTest, ResolvesComponentsIgnoringCaseCyrillicIncluded) {
    const std::string expected = (root / "c/Program Files/Zorvik/Rings/Звън.wav").string();
    EXPECT_EQ(hostOf("C:\\Program Files\\Zorvik\\Rings\\Звън.wav"), expected);
    EXPECT_EQ(hostOf("c:\\PROGRAM FILES\\zorvik\\rings\\ЗВЪН.WAV"), expected);
    EXPECT_EQ(hostOf("C:/Program Files/Zorvik/Rings/звън.wav"), expected);
    EXPECT_EQ(hostOf("C:\\Program Files\\.\\Zorvik\\x\\..\\Rings\\Звън.wav"), expected);
}

TEST_F(DriveMapTest, KeepsMissingComponentsAsGiven) {
    EXPECT_EQ(hostOf("C:\\program files\\Zorvik\\Rings\\New.wav"),
              (root / "c/Program Files/Zorvik/Rings/New.wav").string());
    EXPECT_EQ(hostOf("C:\\Nowhere\\Deeper\\a.wav"), (root / "c/Nowhere/Deeper/a.wav").string());
}

TEST_F(DriveMapTest, ExactMatchWinsAndSeveralCaseVariantsAlonefail) {
    const fs::path rings = root / "c/Program Files/Zorvik/Rings";
    writeFile(rings / "a.wav", "1");
    writeFile(rings / "A.wav", "2");
    EXPECT_EQ(hostOf("C:\\Program Files\\Zorvik\\Rings\\A.wav"), (rings / "A.wav").string());
    const auto ambiguous = drives.resolve("C:\\Program Files\\Zorvik\\Rings\\a.WAV");
    ASSERT_FALSE(ambiguous.ok());
    EXPECT_EQ(ambiguous.failure().code, ErrorCode::Ambiguous);
}

TEST_F(DriveMapTest, DriveZIsTheHostRootAndOtherDrivesNameNothing) {
    EXPECT_EQ(hostOf("Z:\\tmp"), "/tmp");
    EXPECT_EQ(hostOf("z:\\"), "/");
    for (const char* path : {"D:\\Rings", "Rings\\a.wav", "", "\\\\server\\share", "C:relative"}) {
        EXPECT_FALSE(drives.resolve(path).ok()) << path;
    }
}

TEST_F(DriveMapTest, RefusesComponentsWindowsCannotHold) {
    for (const char* path : {"C:\\a:b.wav", "C:\\Rings\\a*.wav", "C:\\Rings\\a?.wav",
                             "C:\\Rings\\a|b", "C:\\Rings\\a\x01.wav"}) {
        const auto host = drives.resolve(path);
        ASSERT_FALSE(host.ok()) << path;
        EXPECT_EQ(host.failure().code, ErrorCode::InvalidName) << path;
    }
}

TEST_F(DriveMapTest, WritesHostPathsInWindowsForm) {
    const auto onC = drives.windowsPathOf((root / "c/Program Files/Zorvik/Rings").string());
    ASSERT_TRUE(onC.ok());
    EXPECT_EQ(onC.value(), "C:\\Program Files\\Zorvik\\Rings");
    const auto onZ = drives.windowsPathOf("/usr/share");
    ASSERT_TRUE(onZ.ok());
    EXPECT_EQ(onZ.value(), "Z:\\usr\\share");
    // a backslash inside a host name must not turn into a separator naming another file
    const auto tricky = drives.windowsPathOf("/tmp/a\\b.wav");
    ASSERT_FALSE(tricky.ok());
    EXPECT_EQ(tricky.failure().code, ErrorCode::InvalidName);
}

}  // namespace
}  // namespace zorvik
