// What only the Win32 file system shows: device names, long paths, files held open by other
// programs, and the order in which its writes reach the disk.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file_system.h"
#include "tests/support/step_faults.h"
#include "tests/support/whole_copy.h"
#include "tests/win32/api_trace.h"
#include "tests/win32/scratch.h"

namespace zorvik::win32 {
namespace {

using testing::entriesOf;
using testing::readBytes;
using testing::setStepFaults;
using testing::stepFails;
using testing::widePath;
using testing::writeBytes;

// Windows' steps, which refuse to remove a file whose path holds `refused` for want of rights:
// an answer Wine never gives for a file held open.
struct RefusingSteps final : Win32FileSteps {
    DWORD markForRemoval(HANDLE entry, const std::string& path) override {
        return !refused.empty() && path.find(refused) != std::string::npos
                   ? ERROR_ACCESS_DENIED
                   : Win32FileSteps::markForRemoval(entry, path);
    }
    std::string refused;
};

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
    RefusingSteps* steps = new RefusingSteps;
    Win32FileSystem files{std::unique_ptr<Win32FileSteps>(steps)};
};

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
    ASSERT_TRUE(testing::copyFile(files, deep + "\\Мелодия.wav", rings + "\\Мелодия.wav").ok());
    const auto writtenAt = [](const std::string& path) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExW(widePath(path).c_str(), GetFileExInfoStandard, &data);
        return std::pair(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
    };
    EXPECT_EQ(writtenAt(rings + "\\Мелодия.wav"), writtenAt(deep + "\\Мелодия.wav"))
        << "a copy keeps the melody's time, as Windows' own copy does";
    ASSERT_TRUE(files.moveFile(rings + "\\Мелодия.wav", deep + "\\Копие.wav").ok());
    EXPECT_EQ(readBytes(deep + "\\Копие.wav"), "melody");
    EXPECT_TRUE(files.deleteFile(deep + "\\Копие.wav").ok());
    EXPECT_EQ(list(deep), std::vector<std::string>{"Мелодия.wav"});
}

// Another program's open file. Without FILE_SHARE_DELETE it can be neither replaced, moved nor
// removed, and the user is told it is in use; with it, Windows 10 1809 and later replace it at
// once by a rename with POSIX semantics (the holder keeps the old bytes), where Wine refuses it
// as in use too. Never "access denied", and never a change half made. Windows may answer
// "access denied" for a file held open, which Wine never does: that answer, given in its place,
// is told from a refusal for want of rights by whether another program holds the file, and a
// read-only melody whose removal was refused stays read-only.
TEST_F(Win32FileSystemTest, AFileInUseIsReplacedAtOnceOrNamedAsInUse) {
    enum class Act { CopyOver, CopyFrom, Delete, MoveAway, MoveOver, MoveAcross };
    const struct {
        const char* what;
        Act act;
        DWORD access;
        DWORD sharing;
        bool mayGoThrough;
        bool held = true;
        ErrorCode refused = ErrorCode::InUse;
    } rows[] = {
        {"the ring file held, read shared", Act::CopyOver, GENERIC_READ, FILE_SHARE_READ, false},
        {"the ring file held, all shared", Act::CopyOver, GENERIC_READ,
         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, true},
        {"a melody written by another", Act::CopyFrom, GENERIC_READ | GENERIC_WRITE, 0, false},
        {"a melody held, deleted", Act::Delete, GENERIC_READ, FILE_SHARE_READ, false},
        {"a melody held, moved away", Act::MoveAway, GENERIC_READ, FILE_SHARE_READ, false},
        {"a namesake held, moved over", Act::MoveOver, GENERIC_READ, FILE_SHARE_READ, false},
        {"a namesake held, all shared, moved over", Act::MoveOver, GENERIC_READ,
         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, true},
        // across volumes, Windows answering "access denied" to the source's removal
        {"a read-only melody held, moved across", Act::MoveAcross, GENERIC_READ,
         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false},
        {"a read-only melody nobody holds, moved across", Act::MoveAcross, GENERIC_READ, 0, false,
         false, ErrorCode::AccessDenied},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string melody = rings + "\\Зает.wav";
        const std::string namesake = deleted + "\\Зает.wav";
        writeBytes(melody, "melody");
        writeBytes(namesake, "namesake");
        const bool across = row.act == Act::MoveAcross;
        const bool holdsMelody = row.act == Act::CopyFrom || row.act == Act::Delete ||
                                 row.act == Act::MoveAway || across;
        const std::string held = holdsMelody ? melody : namesake;
        const std::wstring wideMelody = widePath(melody);
        if (across) {
            SetFileAttributesW(wideMelody.c_str(), FILE_ATTRIBUTE_READONLY);
            setStepFaults(files, [](FileStep step) {
                return step == FileStep::MoveInOneStep
                           ? std::optional(stepFails(ErrorCode::NotSameVolume))
                           : std::nullopt;
            });
            steps->refused = "Rings\\Зает.wav";
        }
        const HANDLE holder =
            row.held ? CreateFileW(widePath(held).c_str(), row.access, row.sharing, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)
                     : nullptr;
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        Status done;
        switch (row.act) {
            case Act::CopyOver:
            case Act::CopyFrom:
                done = testing::copyFile(files, melody, namesake);
                break;
            case Act::Delete:
                done = files.deleteFile(melody);
                break;
            case Act::MoveAway:
            case Act::MoveOver:
            case Act::MoveAcross:
                done = files.moveFile(melody, namesake);
                break;
        }
        if (holder != nullptr) {
            CloseHandle(holder);
        }
        setStepFaults(files, nullptr);
        steps->refused.clear();
        EXPECT_EQ(entriesOf(deleted), std::vector<std::string>{"Зает.wav"}) << "no temporary";
        if (done.ok()) {
            EXPECT_TRUE(row.mayGoThrough);
            EXPECT_EQ(readBytes(namesake), "melody");
        } else {
            EXPECT_EQ(done.code(), row.refused) << done.failure().message;
            EXPECT_EQ(done.failure().message.find("използва") != std::string::npos,
                      row.refused == ErrorCode::InUse)
                << done.failure().message;
            EXPECT_NE(done.failure().message.find("Зает.wav"), std::string::npos);
            EXPECT_EQ(readBytes(melody), "melody");
            EXPECT_EQ(readBytes(namesake), "namesake");
        }
        EXPECT_EQ(GetFileAttributesW(wideMelody.c_str()) & FILE_ATTRIBUTE_READONLY,
                  across ? DWORD{FILE_ATTRIBUTE_READONLY} : 0u)
            << "as it was";
        SetFileAttributesW(wideMelody.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(widePath(melody).c_str());
        DeleteFileW(widePath(namesake).c_str());
    }
}

// A move across volumes over an older namesake whose source then cannot go is undone, the older
// one put back; where another program holds the moved copy by then, the put back fails too, and
// that copy stays as it came, read-only as its source.
TEST_F(Win32FileSystemTest, AnOlderNamesakeThatCannotBePutBackLeavesTheCopyAsItCame) {
    const std::string melody = rings + "\\Зает.wav";
    const std::string namesake = deleted + "\\Зает.wav";
    writeBytes(melody, "melody");
    writeBytes(namesake, "namesake");
    SetFileAttributesW(widePath(melody).c_str(), FILE_ATTRIBUTE_READONLY);
    HANDLE holder = INVALID_HANDLE_VALUE;
    setStepFaults(files, [&](FileStep step) -> std::optional<StepFault> {
        if (step == FileStep::MoveInOneStep) {
            return stepFails(ErrorCode::NotSameVolume);
        }
        if (step == FileStep::RemoveSource) {
            holder = CreateFileW(widePath(namesake).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            return stepFails(ErrorCode::InUse);
        }
        return std::nullopt;
    });
    const Status done = files.moveFile(melody, namesake);
    setStepFaults(files, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    CloseHandle(holder);
    ASSERT_FALSE(done.ok());
    EXPECT_EQ(readBytes(melody), "melody");
    EXPECT_EQ(readBytes(namesake), "melody");
    EXPECT_NE(GetFileAttributesW(widePath(namesake).c_str()) & FILE_ATTRIBUTE_READONLY, 0u)
        << "the copy as it came";
    for (const auto& name : entriesOf(deleted)) {
        SetFileAttributesW(widePath(deleted + "\\" + name).c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    SetFileAttributesW(widePath(melody).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// The new bytes reach the disk before the rename that puts them in place, in a copy and in a move
// across volumes, so that a crash never leaves a ring file that is named but empty; the rename
// asks for POSIX semantics, which on Windows 10 1809 and later replace even a file another
// program holds with FILE_SHARE_DELETE (Wine has none and takes the classic way). A copy keeps
// what the file it replaces had (its permissions, its being hidden), as ReplaceFileW does, so
// the ring file stays as the phone program's installer made it; a moved file keeps its own.
TEST_F(Win32FileSystemTest, TheNewContentIsFlushedBeforeItsRename) {
    // the permissions as text, without the owner and group Windows adds
    const auto permissionsOf = [](const std::string& path) {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (GetNamedSecurityInfoW(widePath(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                  nullptr, nullptr, nullptr, nullptr,
                                  &descriptor) != ERROR_SUCCESS) {
            return std::wstring();
        }
        LPWSTR text = nullptr;
        ConvertSecurityDescriptorToStringSecurityDescriptorW(
            descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr);
        std::wstring out = text != nullptr ? text : L"";
        LocalFree(text);
        LocalFree(descriptor);
        return out;
    };
    for (const bool move : {false, true}) {
        SCOPED_TRACE(move ? "move across volumes" : "copy");
        writeBytes(deleted + "\\new.wav", "new");
        writeBytes(rings + "\\Phone.wav", "old");
        const std::wstring ring = widePath(rings + "\\Phone.wav");
        SetFileAttributesW(ring.c_str(), FILE_ATTRIBUTE_HIDDEN);
        PSECURITY_DESCRIPTOR installers = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:P(A;;FA;;;WD)", SDDL_REVISION_1, &installers, nullptr));
        SetFileSecurityW(ring.c_str(), DACL_SECURITY_INFORMATION, installers);
        LocalFree(installers);
        const std::wstring permissionsBefore = permissionsOf(rings + "\\Phone.wav");
        const std::wstring movedPermissions = permissionsOf(deleted + "\\new.wav");
        ASSERT_NE(permissionsBefore, movedPermissions) << "the installer's permissions not set";
        setStepFaults(files, [&](FileStep step) -> std::optional<StepFault> {
            if (step == FileStep::MoveInOneStep) {
                return stepFails(ErrorCode::NotSameVolume);
            }
            return std::nullopt;
        });
        const testing::ApiTrace trace;
        ASSERT_TRUE(trace.watching());
        const Status done =
            move ? files.moveFile(deleted + "\\new.wav", rings + "\\Phone.wav")
                 : testing::copyFile(files, deleted + "\\new.wav", rings + "\\Phone.wav");
        ASSERT_TRUE(done.ok()) << done.failure().message;
        const auto& calls = trace.calls();
        const auto renamed = std::find_if(calls.begin(), calls.end(), [](const std::string& call) {
            return call.rfind("rename .zorvik-copy-", 0) == 0 && call.ends_with(" Phone.wav");
        });
        ASSERT_NE(renamed, calls.end()) << "no rename into place";
        const std::string temporary = renamed->substr(7, renamed->find(' ', 7) - 7);
        EXPECT_NE(std::find(calls.begin(), renamed, "flush " + temporary), renamed)
            << "the copy was not flushed before its rename";
        EXPECT_NE(std::find(calls.begin(), renamed, "asked-posix-rename " + temporary), renamed);
        EXPECT_EQ(readBytes(rings + "\\Phone.wav"), "new");
        EXPECT_EQ((GetFileAttributesW(ring.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0, !move);
        EXPECT_EQ(permissionsOf(rings + "\\Phone.wav"),
                  move ? movedPermissions : permissionsBefore);
        SetFileAttributesW(ring.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

}  // namespace
}  // namespace zorvik::win32
