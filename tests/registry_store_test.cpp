#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/posix/posix_registry.h"
#include "tests/support/temp_folder.h"

namespace zorvik {
namespace {

using testing::listing;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;
namespace fs = std::filesystem;

constexpr const char* kKey = "Zorvik\\Setings";

class RegistryStoreTest : public ::testing::Test {
protected:
    fs::path folder() const { return root / "config" / "zorvik"; }
    fs::path store() const { return folder() / "HKCU.reg"; }
    TempFolder root;
    posix::PosixRegistry registry{(root / "config" / "zorvik" / "HKCU.reg").string()};
};

TEST_F(RegistryStoreTest, AMissingStoreReadsAsMissingAndTheFirstWriteCreatesIt) {
    const auto missing = registry.read(kKey, "Audio");
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.failure().code, ErrorCode::NotFound);
    EXPECT_FALSE(fs::exists(folder())) << "a read must not create anything";

    ASSERT_TRUE(registry.write(kKey, "Audio", RegistryValue::dword(1)).ok());
    EXPECT_EQ(readFile(store()),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Zorvik\\Setings]\n"
              "\"Audio\"=dword:00000001\n");
    struct stat info {};
    ASSERT_EQ(stat(folder().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(stat(store().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(listing(folder()), "HKCU.reg HKCU.reg.lock");
}

TEST_F(RegistryStoreTest, ACorruptStoreFailsReadsAndIsKeptAsideByTheNextWrite) {
    fs::create_directories(folder());
    const std::string junk = "this is not a registry file\n\x01\x02";
    writeFile(store(), junk);
    const auto read = registry.read(kKey, "Audio");
    ASSERT_FALSE(read.ok());
    EXPECT_EQ(read.failure().code, ErrorCode::Corrupt);
    EXPECT_EQ(readFile(store()), junk) << "a read must leave the file alone";

    ASSERT_TRUE(registry.write(kKey, "Audio", RegistryValue::dword(0)).ok());
    EXPECT_EQ(registry.read(kKey, "Audio").value(), RegistryValue::dword(0));
    std::vector<fs::path> keptAside;
    for (const auto& entry : fs::directory_iterator(folder())) {
        if (entry.path().filename().string().rfind("HKCU.reg.corrupt-", 0) == 0) {
            keptAside.push_back(entry.path());
        }
    }
    ASSERT_EQ(keptAside.size(), 1u);
    EXPECT_EQ(readFile(keptAside[0]), junk);

    // a second corrupt file is kept under a name of its own, the first stays
    writeFile(store(), junk + "again");
    ASSERT_TRUE(registry.write(kKey, "Audio", RegistryValue::dword(1)).ok());
    int corruptCopies = 0;
    for (const auto& entry : fs::directory_iterator(folder())) {
        corruptCopies += entry.path().filename().string().rfind("HKCU.reg.corrupt-", 0) == 0;
    }
    EXPECT_EQ(corruptCopies, 2);
    EXPECT_EQ(readFile(keptAside[0]), junk);
}

TEST_F(RegistryStoreTest, RefusesNamesTheFileCannotHold) {
    for (const char* name : {"line\nbreak", "cr\rname", "\xFF"}) {
        const Status written = registry.write(kKey, name, RegistryValue::dword(1));
        ASSERT_FALSE(written.ok()) << name;
        EXPECT_EQ(written.code(), ErrorCode::InvalidName);
        EXPECT_FALSE(registry.write(name, "Audio", RegistryValue::dword(1)).ok()) << name;
    }
    // a text every reader would cut at its zero, or could not read at all
    for (const std::string& text : {std::string("a\0b.wav", 7), std::string("\xFF.wav")}) {
        EXPECT_EQ(registry.write(kKey, "RingSound", RegistryValue::string(text)).code(),
                  ErrorCode::Unsupported);
    }
    EXPECT_FALSE(fs::exists(store())) << "nothing was written";
}

TEST_F(RegistryStoreTest, KeepsTheModeOfAStoreTheUserMade) {
    fs::create_directories(folder());
    writeFile(store(), "Windows Registry Editor Version 5.00\n");
    chmod(store().c_str(), 0640);
    ASSERT_TRUE(registry.write(kKey, "Audio", RegistryValue::dword(1)).ok());
    struct stat info {};
    ASSERT_EQ(stat(store().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}

}  // namespace
}  // namespace zorvik
