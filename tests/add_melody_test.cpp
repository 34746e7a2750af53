#include <gtest/gtest.h>

#include <optional>

#include "platform/windows_path.h"
#include "sound/melody_source.h"
#include "tests/support/form_fixture.h"
#include "tests/support/sound_files.h"

namespace zorvik {
namespace {

using testing::FormFixture;
using testing::WinPath;

class AddMelody : public FormFixture, public ::testing::Test {
protected:
    AddMelody() {
        addMelody(rings, "a.wav", testing::waveFile("a"));
        writeFile(elsewhere / "Нова мелодия.wav", testing::waveFile("new"));
    }
    WinPath elsewhere{"D:\\Elsewhere"};
};

TEST_F(AddMelody, ACancelledDialogAsksNothingAndRefreshes) {
    open();
    addMelody(rings, "b.wav");  // appears only by the refresh
    form->nm_Click();
    EXPECT_EQ(dialog.shows, 1);
    EXPECT_TRUE(box.questions.empty());
    EXPECT_EQ(form->File1().entries(), (std::vector<std::string>{"a.wav", "b.wav"}));
}

TEST_F(AddMelody, ThePopupOpensWhereTheUserLooksAndRunsTheChosenItemAfterItself) {
    open();
    popup.nextChoice = "pd";
    form->Command1_Click(Form1::PressedWith::Mouse);
    EXPECT_EQ(popup.shownMenus, std::vector<std::string>{"v"});
    EXPECT_EQ(form->view(), MelodyView::Deleted);
    popup.nextChoice = "";  // dismissed
    form->Command1_Click(Form1::PressedWith::Mouse);
    EXPECT_EQ(dialog.shows, 0);
    popup.nextChoice = "nm";
    form->Command1_Click(Form1::PressedWith::Keyboard);
    EXPECT_EQ(dialog.shows, 1);
    // from the keyboard the menu opens below its button, from the mouse at the pointer
    EXPECT_EQ(popup.shownBelow, (std::vector<std::string>{"", "", "Command1"}));
}

// What is chosen is known before the question: a WAV the program plays is copied as it is, any
// other sound a decoder reads is converted into one named after it, and anything else is
// refused with a box that says why, before anything is asked or written. The question names
// the file, the melody it becomes where that is another name, and any melody it replaces.
TEST_F(AddMelody, TheQuestionNamesTheFileWhatItBecomesAndAnyMelodyItReplaces) {
    using testing::waveFile;
    const std::string replacesA =
        "\r\nСъществуващата мелодия „C:\\Program Files\\Zorvik\\Rings\\a.wav“ ще бъде "
        "заменена.";
    const auto convertedAs = [](const char* name) {
        return "\r\nТой ще бъде преобразуван във формат WAV и добавен като „" + std::string(name) +
               "“.";
    };
    const std::string sound = testing::fakeSound(2, 22050, 3000);
    const std::string converted = testing::melodyOfFakeSound(2, 22050, 3000);
    const WinPath other{"D:\\Other"};
    struct Case {
        const char* what;
        std::string chosen;
        std::optional<std::string> content;  // none: the file is there already
        int answer;
        std::string said;  // after the question's two lines, or the refusal's reason
        bool refused;
        const char* ringsAfter;
        std::string becomes;  // what the melody of the file's name holds after
    };
    const Case cases[] = {
        {"a new melody, OK", (elsewhere / "Нова мелодия.wav").text, waveFile("new"), kAnswerOk, "",
         false, "Deleted a.wav Нова мелодия.wav", waveFile("new")},
        // a name that looks like a part of the question's pattern is shown as it is
        {"a new melody, Cancel", (elsewhere / "Нова {1} мелодия.wav").text, waveFile("new"),
         kAnswerCancel, "", false, "Deleted a.wav", ""},
        {"a namesake, OK", (elsewhere / "a.wav").text, waveFile("another a"), kAnswerOk, replacesA,
         false, "Deleted a.wav", waveFile("another a")},
        {"a namesake, Cancel", (elsewhere / "a.wav").text, waveFile("another a"), kAnswerCancel,
         replacesA, false, "Deleted a.wav", waveFile("a")},
        {"a namesake in other case", (other / "A.WAV").text, waveFile("another A"), kAnswerOk,
         replacesA, false, "Deleted a.wav", waveFile("another A")},
        {"the melody itself, from Rings",
         (rings / "A.WAV").text,
         {},
         kAnswerOk,
         "",
         false,
         "Deleted a.wav",
         waveFile("a")},
        {"a sound, converted", (elsewhere / "песен.mp3").text, sound, kAnswerOk,
         convertedAs("песен.wav"), false, "Deleted a.wav песен.wav", converted},
        {"a sound, Cancel", (elsewhere / "песен.mp3").text, sound, kAnswerCancel,
         convertedAs("песен.wav"), false, "Deleted a.wav", ""},
        {"a sound over a namesake", (elsewhere / "A.ogg").text, sound, kAnswerOk,
         convertedAs("A.wav") + replacesA, false, "Deleted a.wav", converted},
        {"a WAV by another name", (elsewhere / "звън.wave").text, waveFile("w"), kAnswerOk,
         "\r\nТой ще бъде добавен като „звън.wav“.", false, "Deleted a.wav звън.wav",
         waveFile("w")},
        {"a text named .mp3", (elsewhere / "notes.mp3").text, "text", kAnswerOk,
         "файлът не е звук, който програмата може да преобразува", true, "Deleted a.wav", ""},
        {"an empty file", (elsewhere / "празен.wav").text, "", kAnswerOk, "файлът е празен", true,
         "Deleted a.wav", ""},
        // no decoder reads it either: its header says best what is wrong
        {"a WAV with no channels", (elsewhere / "тихо.wav").text,
         wav::riff(wav::chunk("fmt ", wav::waveFormat(1, 0, 8000, 2, 16)) +
                   wav::chunk("data", "ab")),
         kAnswerOk, "броят на звуковите канали е нула", true, "Deleted a.wav", ""},
        {"a sound too long for a WAV file", (elsewhere / "дълъг.mp3").text,
         testing::fakeSound(2, 48000, 10, std::uint64_t{1} << 30), kAnswerOk,
         "във формат WAV звукът би бил по-голям от 4 GB, а такъв файл не може да бъде по-голям",
         true, "Deleted a.wav", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        emptyFolders();
        addMelody(rings, "a.wav", waveFile("a"));
        if (c.content) {
            writeFile({c.chosen}, *c.content);
        }
        box.questions.clear();
        box.errors.clear();
        box.notices.clear();
        open();
        const WinPath abandoned = rings / ".zorvik-copy-7.tmp";
        writeFile(abandoned, "a copy a killed run left");
        // the folder the melody comes from may be anyone's: nothing there is swept
        const WinPath usersOwn = elsewhere / ".zorvik-copy-8.tmp";
        writeFile(usersOwn, "the user's");
        dialog.choose(c.chosen);
        if (!c.refused) {
            box.answer(c.answer);
        }
        form->nm_Click();
        // it goes with the copy into the folder, and stays while nothing is done there
        EXPECT_EQ(files.exists(abandoned.text).value(), c.answer == kAnswerCancel || c.refused);
        EXPECT_TRUE(files.exists(usersOwn.text).value());
        files.remove(abandoned);
        const std::string title = c.chosen.substr(c.chosen.rfind('\\') + 1);
        if (c.refused) {
            EXPECT_TRUE(box.questions.empty());
            ASSERT_EQ(box.errors.size(), 1u);
            EXPECT_EQ(
                box.errors[0].message,
                "Файлът „" + c.chosen + "“ не може да бъде добавен към мелодиите: " + c.said + ".");
        } else {
            ASSERT_EQ(box.questions.size(), 1u);
            EXPECT_EQ(box.questions[0].message, "Желаете ли добавяне на файл: " + title +
                                                    "\r\n към мелодиите на Zorvik?" + c.said);
            EXPECT_EQ(box.questions[0].title, "Добавяне на нова мелодия.");
            EXPECT_TRUE(box.errors.empty()) << box.errors[0].message;
        }
        EXPECT_EQ(listing(rings), c.ringsAfter);
        const std::string melody = sound::melodyName(title);
        EXPECT_EQ(readFile(rings / melody), c.becomes);
        if (!winpath::samePath(melody, "a.wav")) {
            EXPECT_EQ(readFile(rings / "a.wav"), waveFile("a"));
        }
        if (!c.content) {
            ASSERT_EQ(box.notices.size(), 1u) << "the melody itself: nothing to add";
            EXPECT_EQ(box.notices[0].message,
                      "Мелодията „A.WAV“ вече е в папката с мелодии: няма какво да се добави.");
        }
    }
}

TEST_F(AddMelody, InTheDeletedViewTheMelodyGoesToRingsOutOfSight) {
    open();
    form->pd_Click();
    addThroughDialog((elsewhere / "Нова мелодия.wav").text);
    EXPECT_TRUE(files.isFile(rings / "Нова мелодия.wav"));
    EXPECT_EQ(form->File1().Path(), "C:\\Program Files\\Zorvik\\Rings\\Deleted");
    EXPECT_TRUE(form->File1().entries().empty());
}

TEST_F(AddMelody, FailuresAreShownAndTheListIsStillRefreshed) {
    open();
    addThroughDialog((elsewhere / "gone.wav").text);
    ASSERT_EQ(box.errors.size(), 1u);
    EXPECT_EQ(box.errors[0].message,
              "Файлът „D:\\Elsewhere\\gone.wav“ не може да бъде добавен към мелодиите: файлът не "
              "съществува.");

    dialog.failNextShow(
        Failure{ErrorCode::InvalidName, "Файлът „/tmp/a:b.wav“ не може да бъде избран."});
    form->nm_Click();
    ASSERT_EQ(box.errors.size(), 2u);
    EXPECT_EQ(box.errors[1].message, "Файлът „/tmp/a:b.wav“ не може да бъде избран.");
    EXPECT_TRUE(box.questions.empty()) << "no question about what cannot be added";
}

TEST_F(AddMelody, FromAnotherFolderTheMelodyGoesBesideTheProgram) {
    files.makeFolder(driveC / "Tools" / "Rings");
    open("C:\\Tools");
    addThroughDialog((elsewhere / "Нова мелодия.wav").text);
    EXPECT_TRUE(files.isFile(driveC / "Tools" / "Rings" / "Нова мелодия.wav"));
    EXPECT_FALSE(files.isFile(rings / "Нова мелодия.wav"));
}

TEST_F(AddMelody, TheDeletedViewAndItsMissingFolder) {
    open();
    form->pd_Click();
    form->pd_Click();  // again: the same folder and caption
    EXPECT_EQ(form->File1().Path(), "C:\\Program Files\\Zorvik\\Rings\\Deleted");
    EXPECT_EQ(form->Command3Caption(), "Добавяне на маркираната мелодия");
    form->Command3_Click();

    files.remove(deleted);
    form->pd_Click();
    ASSERT_EQ(box.errors.size(), 1u);
    EXPECT_EQ(box.errors[0].message,
              "Папката „C:\\Program Files\\Zorvik\\Rings\\Deleted“ не може да бъде отворена: "
              "папката не съществува.");
    EXPECT_EQ(form->view(), MelodyView::Rings);
    EXPECT_EQ(form->File1().Path(), "C:\\Program Files\\Zorvik\\Rings");
    EXPECT_EQ(form->Command3Caption(), "Изтриване на маркираната мелодия");
}

}  // namespace
}  // namespace zorvik
