#include <gtest/gtest.h>

#include "tests/support/form_fixture.h"

namespace zorvik {
namespace {

using testing::FormFixture;
using testing::WinPath;

class AddMelody : public FormFixture, public ::testing::Test {
protected:
    AddMelody() {
        addMelody(rings, "a.wav", "a");
        writeFile(elsewhere / "Нова мелодия.wav", "new");
        writeFile(elsewhere / "a.wav", "another a");
        writeFile(elsewhere / "notes.txt", "text");
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

// The question names the bare name, and the melody in Rings that the copy would replace.
TEST_F(AddMelody, TheQuestionNamesTheFileAndAnyMelodyItReplaces) {
    const std::string replacesA =
        "\r\nСъществуващата мелодия „C:\\Program Files\\Zorvik\\Rings\\a.wav“ ще бъде "
        "заменена.";
    const WinPath other{"D:\\Other"};
    writeFile(other / "A.WAV", "another A");
    struct Case {
        const char* what;
        std::string chosen;
        int answer;
        std::string replaced;  // the question's last line
        const char* ringsAfter;
        const char* aAfter;
    };
    const Case cases[] = {
        {"a new melody, OK", (elsewhere / "Нова мелодия.wav").text, kAnswerOk, "",
         "Deleted a.wav Нова мелодия.wav", "a"},
        // a name that looks like a part of the question's pattern is shown as it is
        {"a new melody, Cancel", (elsewhere / "Нова {1} мелодия.wav").text, kAnswerCancel, "",
         "Deleted a.wav", "a"},
        {"a namesake, OK", (elsewhere / "a.wav").text, kAnswerOk, replacesA, "Deleted a.wav",
         "another a"},
        {"a namesake, Cancel", (elsewhere / "a.wav").text, kAnswerCancel, replacesA,
         "Deleted a.wav", "a"},
        {"a namesake in other case", (other / "A.WAV").text, kAnswerOk, replacesA, "Deleted a.wav",
         "another A"},
        {"the melody itself, from Rings", (rings / "A.WAV").text, kAnswerOk, "", "Deleted a.wav",
         "a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        emptyFolders();
        addMelody(rings, "a.wav", "a");
        box.questions.clear();
        box.notices.clear();
        open();
        const WinPath abandoned = rings / ".zorvik-copy-7.tmp";
        writeFile(abandoned, "a copy a killed run left");
        // the folder the melody comes from may be anyone's: nothing there is swept
        const WinPath usersOwn = elsewhere / ".zorvik-copy-8.tmp";
        writeFile(usersOwn, "the user's");
        dialog.choose(c.chosen);
        box.answer(c.answer);
        form->nm_Click();
        // it goes with the copy into the folder, and stays while nothing is done there
        EXPECT_EQ(files.exists(abandoned.text).value(), c.answer == kAnswerCancel);
        EXPECT_TRUE(files.exists(usersOwn.text).value());
        files.remove(abandoned);
        const std::string title = c.chosen.substr(c.chosen.rfind('\\') + 1);
        ASSERT_EQ(box.questions.size(), 1u);
        EXPECT_EQ(box.questions[0].message, "Желаете ли добавяне на файл: " + title +
                                                "\r\n към мелодиите на Zorvik?" + c.replaced);
        EXPECT_EQ(box.questions[0].title, "Добавяне на нова мелодия.");
        EXPECT_EQ(listing(rings), c.ringsAfter);
        EXPECT_EQ(readFile(rings / "a.wav"), c.aAfter);
        EXPECT_TRUE(box.errors.empty());
    }
    ASSERT_EQ(box.notices.size(), 1u) << "the melody itself: nothing to add";
    EXPECT_EQ(box.notices[0].message,
              "Мелодията „A.WAV“ вече е в папката с мелодии: няма какво да се добави.");
}

TEST_F(AddMelody, AFileThatIsNoWaveIsCopiedButNotListed) {
    open();
    addThroughDialog((elsewhere / "notes.txt").text);
    EXPECT_EQ(readFile(rings / "notes.txt"), "text");
    EXPECT_EQ(form->File1().entries(), std::vector<std::string>{"a.wav"});
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
    EXPECT_NE(box.errors[0].message.find("gone.wav"), std::string::npos);

    dialog.failNextShow(
        Failure{ErrorCode::InvalidName, "Файлът „/tmp/a:b.wav“ не може да бъде избран."});
    form->nm_Click();
    ASSERT_EQ(box.errors.size(), 2u);
    EXPECT_EQ(box.errors[1].message, "Файлът „/tmp/a:b.wav“ не може да бъде избран.");
    EXPECT_EQ(box.questions.size(), 1u) << "no question after a failed dialog";
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
