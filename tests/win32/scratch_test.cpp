// The tests' own folders: each one new, and gone afterwards with everything a test left in it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/wide_text.h"
#include "tests/win32/scratch.h"

namespace zorvik::testing {
namespace {

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(ScratchFolder, IsNewAndGoesWithAllItHoldsDeviceNamesIncluded) {
    std::wstring folder;
    {
        ScratchFolder scratch;
        const ScratchFolder another;
        EXPECT_NE(another.path(), scratch.path());
        EXPECT_TRUE(entriesOf(scratch.path()).empty());
        folder = L"\\\\?\\" + widePath(scratch.path());
        // as written, not as devices: only a "\\?\" path makes these
        for (const wchar_t* name : {L"con.wav", L"NUL.wav", L"aux .wav", L"Звън.wav"}) {
            const HANDLE file = CreateFileW((folder + L"\\" + name).c_str(), GENERIC_WRITE, 0,
                                            nullptr, CREATE_NEW, FILE_ATTRIBUTE_READONLY, nullptr);
            ASSERT_NE(file, INVALID_HANDLE_VALUE) << win32::toUtf8Lossy(name);
            CloseHandle(file);
        }
        makeFolders(scratch.path() + "\\Папка\\вътре");
        writeBytes(scratch.path() + "\\Папка\\вътре\\Мелодия.wav", "x");
        ASSERT_EQ(entriesOf(scratch.path()).size(), 5u);
    }
    EXPECT_FALSE(exists(folder));
}

}  // namespace
}  // namespace zorvik::testing
