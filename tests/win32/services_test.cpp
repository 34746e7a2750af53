// The services that speak to the user or the sound card, through their test hooks so that no
// test waits for a person, and the player against whatever sound device this machine has.
#include <windows.h>
// after windows.h, which it needs
#include <mmsystem.h>

#include <gtest/gtest.h>

#include "platform/win32/application_folder.h"
#include "platform/win32/wave_image.h"
#include "platform/win32/win32_message_box.h"
#include "platform/win32/win32_open_file_dialog.h"
#include "platform/win32/win32_player.h"
#include "tests/win32/scratch.h"
#include "tools/wav_synth.h"

namespace zorvik::win32 {
namespace {

TEST(Win32MessageBoxTest, QueuedAnswersStandInForThePersonWithTheDesignedStyles) {
    Win32MessageBox::clearAnswers();
    Win32MessageBox box;
    Win32MessageBox::setNextAnswer(kAnswerOk);
    EXPECT_EQ(box.confirm("Да запиша ли „Звън.wav“?", "Zorvik"), kAnswerOk);
    EXPECT_EQ(Win32MessageBox::lastStyle(), 33u) << "OK and Cancel with the question icon";
    Win32MessageBox::setNextAnswer(std::nullopt);
    EXPECT_EQ(box.confirm("Втори въпрос", "Zorvik"), std::nullopt) << "a box that failed";
    Win32MessageBox::setNextAnswer(kAnswerOk);
    box.showError("Грешка", "Zorvik");
    EXPECT_EQ(Win32MessageBox::lastStyle(), UINT{MB_OK | MB_ICONERROR});
    Win32MessageBox::setNextAnswer(kAnswerOk);
    box.showNotice("Няма маркирана мелодия", "Zorvik");
    EXPECT_EQ(Win32MessageBox::lastStyle(), UINT{MB_OK | MB_ICONINFORMATION});
    Win32MessageBox::setNextAnswer(kAnswerRetry);
    EXPECT_EQ(box.retryOrCancel("Файлът е зает.", "Zorvik"), kAnswerRetry);
    EXPECT_EQ(Win32MessageBox::lastStyle(), UINT{MB_RETRYCANCEL | MB_ICONWARNING});
    EXPECT_EQ(Win32MessageBox::answeredMessages(),
              (std::vector<std::string>{"Да запиша ли „Звън.wav“?", "Втори въпрос", "Грешка",
                                        "Няма маркирана мелодия", "Файлът е зает."}));
    Win32MessageBox::clearAnswers();
}

TEST(Win32OpenFileDialogTest, TheFilterAndTheChoiceAsTheDialogGivesThem) {
    EXPECT_EQ(Win32OpenFileDialog::filterOf("Wav|*.wav"), std::wstring(L"Wav\0*.wav\0\0", 11));
    Win32OpenFileDialog dialog("Добави мелодия", "Wav|*.wav");
    Win32OpenFileDialog::setNextFileName("C:\\Мелодии\\Звън на Зорвик.wav");
    ASSERT_TRUE(dialog.Show().ok());
    EXPECT_EQ(dialog.FileName(), "C:\\Мелодии\\Звън на Зорвик.wav");
    EXPECT_EQ(dialog.FileTitle(), "Звън на Зорвик.wav");
    Win32OpenFileDialog::setNextFileName("");
    ASSERT_TRUE(dialog.Show().ok());
    EXPECT_EQ(dialog.FileTitle(), "") << "a cancelled dialog forgets the earlier choice";
    EXPECT_EQ(dialog.FileName(), "");
}

TEST(ApplicationFolderTest, IsTheFolderOfThisProgramWithoutATrailingBackslash) {
    const std::string folder = applicationFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), '\\');
    const DWORD attributes =
        GetFileAttributesW(testing::widePath(folder + "\\zorvik_win32_tests.exe").c_str());
    EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
}

std::string le16(unsigned value) {
    return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}
std::string le32(unsigned value) {
    return le16(value & 0xFFFF) + le16(value >> 16);
}
std::string chunk(std::string_view id, std::string_view body) {
    std::string out(id);
    out += le32(static_cast<unsigned>(body.size())) + std::string(body);
    if (body.size() % 2 == 1) {
        out += '\0';
    }
    return out;
}
std::string riff(std::string_view chunks) {
    return "RIFF" + le32(static_cast<unsigned>(chunks.size() + 4)) + "WAVE" + std::string(chunks);
}
// WAVEFORMATEX of a format tag, with `extra` bytes after cbSize
std::string format(unsigned tag, unsigned channels, unsigned rate, unsigned blockAlign,
                   unsigned bits, std::string_view extra = {}) {
    return le16(tag) + le16(channels) + le32(rate) + le32(rate * blockAlign) + le16(blockAlign) +
           le16(bits) + le16(static_cast<unsigned>(extra.size())) + std::string(extra);
}
std::vector<unsigned char> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST(WaveImageTest, OnlyWholeWaveFilesReachWindowsAndNeverPastTheirBytes) {
    const std::string pcm = format(1, 1, 8000, 2, 16);
    const struct {
        const char* what;
        std::string file;
        std::optional<ErrorCode> refused;
    } rows[] = {
        {"plain PCM", riff(chunk("fmt ", pcm) + chunk("data", "\1\2\3\4")), {}},
        {"16-byte format", riff(chunk("fmt ", pcm.substr(0, 16)) + chunk("data", "\1\2")), {}},
        {"odd chunk padded",
         riff(chunk("LIST", "abc") + chunk("fmt ", pcm) + chunk("data", "")),
         {}},
        {"not RIFF", "ID3\3" + std::string(40, '\0'), ErrorCode::Unsupported},
        {"RIFF but AVI", "RIFF" + le32(4) + "AVI ", ErrorCode::Unsupported},
        {"no format", riff(chunk("data", "\1\2")), ErrorCode::Corrupt},
        {"no data", riff(chunk("fmt ", pcm)), ErrorCode::Corrupt},
        {"format too short", riff(chunk("fmt ", pcm.substr(0, 14)) + chunk("data", "")),
         ErrorCode::Corrupt},
        {"cbSize past its chunk",
         riff(chunk("fmt ", pcm.substr(0, 16) + le16(40)) + chunk("data", "")), ErrorCode::Corrupt},
    };
    for (const auto& row : rows) {
        const auto image = waveImageOf(bytesOf(row.file));
        EXPECT_EQ(image.ok(), !row.refused) << row.what;
        if (image.ok()) {
            EXPECT_EQ(image.value().format.size(), 18u) << row.what;
        } else if (row.refused) {
            EXPECT_EQ(image.failure().code, *row.refused) << row.what;
        }
    }
    // a file cut short: its data chunk now says what it holds
    std::string cut = riff(chunk("fmt ", pcm) + chunk("data", std::string(100, '\1')));
    cut.resize(cut.size() - 60);
    const auto image = waveImageOf(bytesOf(cut));
    ASSERT_TRUE(image.ok());
    const auto& bytes = image.value().bytes;
    EXPECT_EQ(bytes[4] | bytes[5] << 8, static_cast<int>(cut.size() - 8));
    const std::size_t dataSize = 12 + 8 + pcm.size() + 4;  // after the header and the format
    EXPECT_EQ(bytes[dataSize], cut.size() - dataSize - 4);
}

class Win32PlayerTest : public ::testing::Test {
protected:
    void TearDown() override { Win32Player::setDeviceCountForTests(std::nullopt); }
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
    Win32Player player;
};

TEST_F(Win32PlayerTest, NoSoundDeviceIsAFailureNamingTheMelody) {
    Win32Player::setDeviceCountForTests(0);
    const Status played = play(melody("Звън.wav", wav::demoMelody(1, 0.2)));
    ASSERT_FALSE(played.ok());
    EXPECT_EQ(played.code(), ErrorCode::NoDevice);
    EXPECT_NE(played.failure().message.find("Звън.wav"), std::string::npos);
}

TEST_F(Win32PlayerTest, WhatCannotBePlayedIsAFailureNamingTheMelody) {
    Win32Player::setDeviceCountForTests(1);  // the file is refused before any device is asked
    testing::makeFolders(scratch.path() + "\\Папка.wav");
    const struct {
        std::string path;
        ErrorCode code;
    } rows[] = {
        {melody("Текст.wav", "това не е звук"), ErrorCode::Unsupported},
        {melody("Празен.wav", ""), ErrorCode::Unsupported},
        {melody("Без данни.wav", riff(chunk("fmt ", format(1, 1, 8000, 2, 16)))),
         ErrorCode::Corrupt},
        {scratch.path() + "\\Няма.wav", ErrorCode::NotFound},
        {scratch.path() + "\\Папка.wav", ErrorCode::IsFolder},
    };
    for (const auto& row : rows) {
        const Status played = play(row.path);
        ASSERT_FALSE(played.ok()) << row.path;
        EXPECT_EQ(played.code(), row.code) << played.failure().message;
        EXPECT_NE(played.failure().message.find(row.path), std::string::npos)
            << played.failure().message;
    }
}

// The WAV family through Windows' own codecs, on a real device where this machine has one.
TEST_F(Win32PlayerTest, TheWaveFamilyPlaysAndEachMelodyCutsThePrevious) {
    if (waveOutGetNumDevs() == 0) {
        GTEST_SKIP() << "no sound device here";
    }
    const std::string samples(8000, '\x10');
    const struct {
        const char* name;
        std::string format;
    } family[] = {
        {"PCM 8 bit.wav", format(1, 1, 8000, 1, 8)},
        {"PCM 16 bit stereo.wav", format(1, 2, 8000, 4, 16)},
        {"float.wav", format(3, 1, 8000, 4, 32)},
        {"µ-law.wav", format(7, 1, 8000, 1, 8)},
        {"A-law.wav", format(6, 1, 8000, 1, 8)},
        {"IMA ADPCM.wav", format(0x11, 1, 8000, 256, 4, le16(505))},
        {"extensible.wav",
         format(
             0xFFFE, 1, 8000, 2, 16,
             le16(16) + le32(4) + std::string("\1\0\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 16))},
    };
    for (const auto& member : family) {
        const Status played =
            play(melody(member.name, riff(chunk("fmt ", member.format) + chunk("data", samples))));
        EXPECT_TRUE(played.ok()) << member.name << ": " << played.failure().message;
    }
    player.stop();
    // nothing stays open: the melody last played can go at once
    EXPECT_TRUE(DeleteFileW(testing::widePath(scratch.path() + "\\extensible.wav").c_str()));
}

}  // namespace
}  // namespace zorvik::win32
