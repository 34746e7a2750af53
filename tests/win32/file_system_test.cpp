// What only the Win32 file system shows: Windows' own pattern matching, device names, long
// paths, files held open by other programs, and the steps of a move across volumes failing one
// by one.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file_system.h"
#include "tests/win32/scratch.h"

namespace zorvik::win32 {
namespace {

using testing::entriesOf;
using testing::readBytes;
using testing::widePath;
using testing::writeBytes;

class Win32FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        rings = scratch.path() + "\\Rings";
        deleted = rings + "\\Deleted";
        testing::makeFolders(deleted);
    }
    std::vector<std::string> list(const std::string& folder) {
        auto listed = files.listMelodies(folder);
        EXPECT_TRUE(listed.ok()) << (listed.ok() ? "" : listed.failure().message);
        return listed.ok() ? listed.value() : std::vector<std::string>{};
    }

    testing::ScratchFolder scratch;
    std::string rings;
    std::string deleted;
    Win32FileSystem files;
};

TEST_F(Win32FileSystemTest, TheListLeavesOutWhatWindowsPatternAlsoMatches) {
    // "a.wave" and "longername.wavx" match "*.wav" through their 8.3 short names
    for (const char* name :
         {"a.wave", "longername.wavx", "Звън.wav", "concert.wav", "COM10.wav", "nul.wav.txt"}) {
        writeBytes(rings + "\\" + name, "x");
    }
    testing::makeFolders(rings + "\\x.wav");
    EXPECT_EQ(list(rings), (std::vector<std::string>{"COM10.wav", "concert.wav", "Звън.wav"}));
}

TEST_F(Win32FileSystemTest, FilesNamedAsDevicesStayOutOfTheList) {
    writeBytes(rings + "\\console.wav", "x");
    // such names can only be made through "\\?\" paths; opening them otherwise opens a device
    int made = 0;
    for (const char* name : {"CON.wav", "nul.wav", "Com1.wav", "LPT9.WAV", "aux .wav"}) {
        const std::wstring path = L"\\\\?\\" + widePath(rings) + L"\\" + toWideLossy(name);
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            ++made;
        }
    }
    if (made == 0) {
        GTEST_SKIP() << "this machine makes no files with device names";
    }
    EXPECT_EQ(list(rings), std::vector<std::string>{"console.wav"});
}

TEST_F(Win32FileSystemTest, PathsPastMaxPathWorkThroughout) {
    std::string deep = scratch.path();
    while (deep.size() < 300) {
        deep += "\\папка с дълго име";
    }
    testing::makeFolders(deep);
    writeBytes(deep + "\\Мелодия.wav", "melody");
    ASSERT_EQ(list(deep), std::vector<std::string>{"Мелодия.wav"});
    ASSERT_TRUE(files.copyFile(deep + "\\Мелодия.wav", rings + "\\Мелодия.wav").ok());
    ASSERT_TRUE(files.moveFile(rings + "\\Мелодия.wav", deep + "\\Копие.wav").ok());
    EXPECT_EQ(readBytes(deep + "\\Копие.wav"), "melody");
    EXPECT_TRUE(files.deleteFile(deep + "\\Копие.wav").ok());
    EXPECT_EQ(list(deep), std::vector<std::string>{"Мелодия.wav"});
}

// Another program's open file: Windows refuses to let it go, and the user is told why.
TEST_F(Win32FileSystemTest, AFileInUseIsNamedAsSuch) {
    writeBytes(rings + "\\Зает.wav", "busy");
    const HANDLE held =
        CreateFileW(widePath(rings + "\\Зает.wav").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const Status deletedWhileHeld = files.deleteFile(rings + "\\Зает.wav");
    const Status copiedWhileHeld = files.copyFile(rings + "\\Зает.wav", deleted + "\\Зает.wav");
    CloseHandle(held);
    for (const Status& status : {deletedWhileHeld, copiedWhileHeld}) {
        ASSERT_FALSE(status.ok());
        EXPECT_EQ(status.code(), ErrorCode::AccessDenied);
        EXPECT_NE(status.failure().message.find("файлът се използва от друга програма"),
                  std::string::npos)
            << status.failure().message;
        EXPECT_NE(status.failure().message.find("Зает.wav"), std::string::npos);
    }
    EXPECT_EQ(entriesOf(deleted), std::vector<std::string>{}) << "no temporary file stays";
}

// Windows refuses to replace a read-only file, Wine does not: the copy looks again before it
// goes in place.
TEST_F(Win32FileSystemTest, ADestinationMadeReadOnlyMeanwhileIsNotReplaced) {
    writeBytes(deleted + "\\new.wav", "new");
    writeBytes(rings + "\\Phone.wav", "old");
    auto prepared = files.prepareCopy(deleted + "\\new.wav", rings + "\\Phone.wav");
    ASSERT_TRUE(prepared.ok());
    SetFileAttributesW(widePath(rings + "\\Phone.wav").c_str(), FILE_ATTRIBUTE_READONLY);
    const Status committed = prepared.value()->commit();
    ASSERT_FALSE(committed.ok());
    EXPECT_EQ(committed.code(), ErrorCode::ReadOnly);
    prepared = Failure{};  // abandoned
    EXPECT_EQ(readBytes(rings + "\\Phone.wav"), "old");
    EXPECT_EQ(entriesOf(rings), (std::vector<std::string>{"Deleted", "Phone.wav"}));
}

// A move across volumes, made to happen with ERROR_NOT_SAME_DEVICE, and each of its steps
// failing in turn: afterwards the file is either wholly moved or both folders are as they were.
TEST_F(Win32FileSystemTest, AMoveAcrossVolumesIsAllOrNothing) {
    const struct {
        const char* what;
        TransferStep failing;  // MoveSameVolume: none
        bool destinationExists;
    } rows[] = {
        {"moved, replacing", TransferStep::MoveSameVolume, true},
        {"moved to a new name", TransferStep::MoveSameVolume, false},
        {"copy fails", TransferStep::WriteTemporary, true},
        {"old destination cannot be kept", TransferStep::SetOldDestinationAside, true},
        {"copy cannot go in place", TransferStep::RenameIntoPlace, true},
        {"source cannot go, replacing", TransferStep::RemoveSource, true},
        {"source cannot go, new name", TransferStep::RemoveSource, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string source = rings + "\\Звън.wav";
        const std::string destination = deleted + "\\Звън.wav";
        writeBytes(source, "melody");
        SetFileAttributesW(widePath(source).c_str(), FILE_ATTRIBUTE_READONLY);
        DeleteFileW(widePath(destination).c_str());
        if (row.destinationExists) {
            writeBytes(destination, "older");
        }
        files.setFaultInjector([&](TransferStep step) -> unsigned long {
            if (step == TransferStep::MoveSameVolume) {
                return ERROR_NOT_SAME_DEVICE;
            }
            return step == row.failing ? ERROR_SHARING_VIOLATION : 0;
        });
        const Status moved = files.moveFile(source, destination);
        const std::vector<std::string> inDeleted =
            entriesOf(deleted);  // no temporary file in any case
        EXPECT_EQ(inDeleted.size(), row.destinationExists || moved.ok() ? 1u : 0u);
        if (row.failing == TransferStep::MoveSameVolume) {
            ASSERT_TRUE(moved.ok()) << moved.failure().message;
            EXPECT_FALSE(readBytes(source));
            EXPECT_EQ(readBytes(destination), "melody");
            EXPECT_TRUE(GetFileAttributesW(widePath(destination).c_str()) & FILE_ATTRIBUTE_READONLY)
                << "a moved file stays read-only";
        } else {
            ASSERT_FALSE(moved.ok());
            EXPECT_NE(moved.failure().message.find("Двете папки остават"), std::string::npos)
                << moved.failure().message;
            EXPECT_EQ(readBytes(source), "melody");
            EXPECT_TRUE(GetFileAttributesW(widePath(source).c_str()) & FILE_ATTRIBUTE_READONLY);
            EXPECT_EQ(readBytes(destination),
                      row.destinationExists ? std::optional<std::string>("older") : std::nullopt);
        }
        SetFileAttributesW(widePath(destination).c_str(), FILE_ATTRIBUTE_NORMAL);
        SetFileAttributesW(widePath(source).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST_F(Win32FileSystemTest, AFailedCopyLeavesNoTemporaryFile) {
    writeBytes(rings + "\\a.wav", "a");
    writeBytes(deleted + "\\a.wav", "old");
    const struct {
        TransferStep step;
        unsigned long error;
        ErrorCode code;
    } rows[] = {
        {TransferStep::WriteTemporary, ERROR_DISK_FULL, ErrorCode::DiskFull},
        {TransferStep::RenameIntoPlace, ERROR_ACCESS_DENIED, ErrorCode::AccessDenied},
    };
    for (const auto& row : rows) {
        files.setFaultInjector(
            [&](TransferStep step) -> unsigned long { return step == row.step ? row.error : 0; });
        const Status copied = files.copyFile(rings + "\\a.wav", deleted + "\\a.wav");
        ASSERT_FALSE(copied.ok());
        EXPECT_EQ(copied.code(), row.code) << copied.failure().message;
        EXPECT_EQ(entriesOf(deleted), std::vector<std::string>{"a.wav"});
        EXPECT_EQ(readBytes(deleted + "\\a.wav"), "old");
    }
}

}  // namespace
}  // namespace zorvik::win32
