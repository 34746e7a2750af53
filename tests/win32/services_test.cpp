// The services that speak to the user or the sound card, answered in Windows' place so that no
// test waits for a person, and the player against whatever sound device this machine has.
#include <windows.h>
// after windows.h, which it needs
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <psapi.h>

#include "platform/win32/application_folder.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_message_box.h"
#include "platform/win32/win32_open_file_dialog.h"
#include "platform/win32/win32_progress.h"
#include "sound/sound_failures.h"
#include "sound/win32/win32_player.h"
#include "tests/support/wave_table.h"
#include "tests/win32/scratch.h"
#include "tools/wav_synth.h"

namespace zorvik::win32 {
namespace {

// What the last box was shown with, as Windows would have shown it.
struct ShownBox {
    std::string text;
    UINT style = 0;
};
ShownBox shown;

int WINAPI answerBox(HWND, LPCWSTR text, LPCWSTR, UINT style) {
    shown = {toUtf8Lossy(text), style & (MB_TYPEMASK | MB_ICONMASK | MB_DEFMASK)};
    return (style & MB_TYPEMASK) == MB_RETRYCANCEL ? IDRETRY : IDOK;
}

int WINAPI failBox(HWND, LPCWSTR, LPCWSTR, UINT) {
    return 0;
}

TEST(Win32MessageBoxTest, EachBoxHasItsDesignedStyleAndAnAnswerCountsAsItsButton) {
    Win32MessageBox box(nullptr, answerBox);
    EXPECT_EQ(box.confirm("Да запиша ли „Звън.wav“?", "Zorvik"), kAnswerOk);
    EXPECT_EQ(shown.style, 33u) << "OK and Cancel with the question icon";
    EXPECT_EQ(shown.text, "Да запиша ли „Звън.wav“?");
    box.showError("Грешка", "Zorvik");
    EXPECT_EQ(shown.style, UINT{MB_OK | MB_ICONERROR});
    box.showNotice("Няма маркирана мелодия", "Zorvik");
    EXPECT_EQ(shown.style, UINT{MB_OK | MB_ICONINFORMATION});
    EXPECT_EQ(box.retryOrCancel("Файлът е зает.", "Zorvik"), kAnswerRetry);
    EXPECT_EQ(shown.style, UINT{MB_RETRYCANCEL | MB_ICONWARNING});
    EXPECT_EQ(Win32MessageBox(nullptr, failBox).confirm("Въпрос", "Zorvik"), std::nullopt)
        << "a box that could not be shown";
}

// What the dialog answers next: a path chosen, or (none) Cancel.
std::optional<std::wstring> nextChoice;

BOOL WINAPI answerDialog(OPENFILENAMEW* dialog) {
    if (!nextChoice) {
        return FALSE;
    }
    lstrcpynW(dialog->lpstrFile, nextChoice->c_str(), static_cast<int>(dialog->nMaxFile));
    return TRUE;
}

TEST(Win32OpenFileDialogTest, TheFilterAndTheChoiceAsTheDialogGivesThem) {
    EXPECT_EQ(Win32OpenFileDialog::filterOf("Wav|*.wav"), std::wstring(L"Wav\0*.wav\0\0", 11));
    Win32OpenFileDialog dialog("Добави мелодия", "Wav|*.wav", nullptr, answerDialog);
    nextChoice = L"C:\\Мелодии\\Звън на Зорвик.wav";
    ASSERT_TRUE(dialog.Show().ok());
    EXPECT_EQ(dialog.FileName(), "C:\\Мелодии\\Звън на Зорвик.wav");
    EXPECT_EQ(dialog.FileTitle(), "Звън на Зорвик.wav");
    nextChoice.reset();
    ASSERT_TRUE(dialog.Show().ok());
    EXPECT_EQ(dialog.FileTitle(), "") << "a cancelled dialog forgets the earlier choice";
    EXPECT_EQ(dialog.FileName(), "");
}

// The copy runs on a thread of its own; a dismissal (the window closing, from a timer of the
// window's thread) makes its next report say stop. No dialog shows: the work is over, or
// stopped, before its delay.
TEST(Win32ProgressTest, TheCopyRunsAsideAndADismissalStopsIt) {
    static Win32Progress progress("Zorvik");
    for (const bool dismissed : {false, true}) {
        SCOPED_TRACE(dismissed ? "dismissed" : "to its end");
        const UINT_PTR timer =
            dismissed
                ? SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) { progress.dismiss(); })
                : 0;
        DWORD worker = GetCurrentThreadId();
        bool stopped = false;
        std::uint64_t reports = 0;
        const std::uint64_t blocks = dismissed ? 300 : 4;  // three seconds at most
        const bool stands = progress.run("Копиране на „Звън.wav“…", [&](CopyProgress& report) {
            worker = GetCurrentThreadId();
            while (reports < blocks && !stopped) {
                Sleep(dismissed ? 10 : 0);
                stopped = !report.copied(++reports, blocks);
            }
        });
        KillTimer(nullptr, timer);
        EXPECT_EQ(stands, !dismissed);
        EXPECT_NE(worker, GetCurrentThreadId());
        EXPECT_EQ(stopped, dismissed);
        EXPECT_EQ(reports < blocks, dismissed);
        EXPECT_EQ(progress.dialog(), nullptr);
    }
}

TEST(ApplicationFolderTest, IsTheFolderOfThisProgramWithoutATrailingBackslash) {
    const std::string folder = applicationFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    const DWORD attributes =
        GetFileAttributesW(testing::widePath(folder + "\\zorvik_win32_tests.exe").c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
}

class Win32PlayerTest : public ::testing::Test {
protected:
    std::string melody(std::string_view name, std::string_view bytes) {
        const std::string path = scratch.path() + "\\" + std::string(name);
        testing::writeBytes(path, bytes);
        return path;
    }
    Status play(const std::string& path) {
        player.setFileName(path);
        return player.sound();
    }

    testing::ScratchFolder scratch;
    unsigned devices = 1;  // as Windows would count them
    Win32Player player{[this] { return devices; }};
};

// Whether the player holds the file: while a melody plays, nobody may write to it.
bool heldAgainstWriters(const std::string& path) {
    const HANDLE file = CreateFileW(testing::widePath(path).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_SHARING_VIOLATION;
    }
    CloseHandle(file);
    return false;
}

// The headers the Linux build is held to as well. A refused one never reaches the device: in
// winmm a zero block or channel count divides by zero, and a rate of 768 kHz trips an
// assertion in Wine's PulseAudio driver, either of which would end this test program.
TEST_F(Win32PlayerTest, EveryHeaderIsCheckedBeforeTheDeviceSeesIt) {
    const bool device = waveOutGetNumDevs() > 0;
    std::string previous;
    for (const auto& row : testing::waveCases()) {
        const std::string path = melody(row.name, row.bytes);
        // the ring choice's check refuses what the player refuses, for the same reason
        const Status checked = player.check(path);
        EXPECT_EQ(checked.ok() ? std::string() : checked.failure().message,
                  row.refused ? failure_text::playFault(*row.refused).message : std::string())
            << row.name;
        const Status played = play(path);
        if (row.refused) {
            ASSERT_FALSE(played.ok()) << row.name;
            EXPECT_EQ(played.failure().message,
                      failure_text::playFailed(*row.refused, path).message);
            EXPECT_FALSE(player.isPlaying()) << row.name;
            continue;
        }
        if (!device) {
            EXPECT_TRUE(played.ok() || played.code() == ErrorCode::NoDevice) << row.name;
            continue;
        }
        ASSERT_TRUE(played.ok()) << row.name << ": " << played.failure().message;
        // the new melody holds its file, and the one it cut short is let go
        EXPECT_TRUE(heldAgainstWriters(path)) << row.name;
        EXPECT_TRUE(previous.empty() || !heldAgainstWriters(previous)) << row.name;
        previous = path;
    }
    if (!previous.empty()) {
        // the melody that plays can still be deleted (or moved) by the program itself
        ASSERT_TRUE(play(previous).ok());
        EXPECT_TRUE(DeleteFileW(testing::widePath(previous).c_str()));
    }
    player.stop();
    EXPECT_FALSE(player.isPlaying());
}

// No sound device, or nothing a device could play: a failure naming the melody, before the
// device is ever asked.
TEST_F(Win32PlayerTest, WhatCannotPlayIsAFailureNamingIt) {
    const std::string tune = melody("Звън.wav", wav::demoMelody(1, 0.2));
    const std::string folder = scratch.path() + "\\Папка.wav";
    const std::string missing = scratch.path() + "\\Няма.wav";
    testing::makeFolders(folder);
    const struct {
        std::string path;
        unsigned devices;
        Failure expected;
    } rows[] = {
        {tune, 0, failure_text::playFailed(ErrorCode::NoDevice, tune)},
        {missing, 1, failure_text::playFailed(ErrorCode::NotFound, missing)},
        {folder, 1, failure_text::playFailed(ErrorCode::IsFolder, folder)},
        // a device reads as an endless file, or never answers at all
        {"NUL", 1, failure_text::playFailed(PlayFault::NotAFile, "NUL")},
    };
    for (const auto& row : rows) {
        devices = row.devices;
        const Status played = play(row.path);
        ASSERT_FALSE(played.ok()) << row.path;
        EXPECT_EQ(played.code(), row.expected.code) << row.path;
        EXPECT_EQ(played.failure().message, row.expected.message);
    }
}

std::size_t workingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.WorkingSetSize;
}

// A melody streams from its file: a large one costs a few buffers, not its size, and once it
// has played to its end the device and the file are let go.
TEST_F(Win32PlayerTest, AMelodyStreamsAndLetsGoOnceItHasPlayed) {
    constexpr std::uint32_t kLarge = 400u << 20;
    const std::string large =
        melody("Голяма.wav", wav::riff(wav::chunk("fmt ", wav::waveFormat(1, 2, 44100, 4, 16)) +
                                       "data" + wav::le32(kLarge)));
    {
        const HANDLE file = CreateFileW(testing::widePath(large).c_str(), GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER end{};
        end.QuadPart = 44 + kLarge;
        EXPECT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
        CloseHandle(file);
    }
    const std::size_t before = workingSet();
    const Status played = play(large);
    EXPECT_TRUE(played.ok() || played.code() == ErrorCode::NoDevice) << played.failure().message;
    EXPECT_LT(workingSet(), before + (32u << 20)) << "the melody was read whole";
    if (!played.ok()) {
        return;  // no device to play on here
    }
    const std::string tone = melody("Кратка.wav", wav::demoMelody(2, 0.2));
    ASSERT_TRUE(play(tone).ok());
    for (int i = 0; i < 1000 && player.isPlaying(); ++i) {
        Sleep(10);
    }
    EXPECT_FALSE(player.isPlaying()) << "the melody never ended";
    EXPECT_FALSE(heldAgainstWriters(tone)) << "the file is still held after the melody";
}

}  // namespace
}  // namespace zorvik::win32
