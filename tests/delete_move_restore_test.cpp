#include <gtest/gtest.h>

#include "melody_library/texts.h"

using zorvik::melody_texts::kNothingMarked;
#include "tests/support/form_fixture.h"

namespace zorvik {
namespace {

using testing::FakeFileSystem;
using testing::FormFixture;
using testing::WinPath;

class DeleteMoveRestore : public FormFixture, public ::testing::Test {
protected:
    void setCheck2(std::int16_t state) {
        writeStore("\"inDeleted\"=dword:0000000" + std::to_string(state) + "\n");
    }
    // Asserts what every click leaves behind: the Rings view on the install folder.
    void expectRingsView() {
        EXPECT_EQ(form->File1().Path(), "C:\\Program Files\\Zorvik\\Rings");
        EXPECT_EQ(form->Command3Caption(), "Изтриване на маркираната мелодия");
        EXPECT_EQ(form->view(), MelodyView::Rings);
        EXPECT_FALSE(form->File1().selectedIndex());
    }
};

enum class View { Rings, Deleted };

struct Row {
    const char* what;
    View view;
    std::int16_t check2;
    std::optional<int> answer;
    const char* question;  // "" when none may be asked
    const char* ringsAfter;
    const char* deletedAfter;
};

TEST_F(DeleteMoveRestore, EveryRowOfTheResultingBehaviour) {
    const char* move = "Желаете ли преместване на мелодията в папка ''Deleted''?";
    const char* forGood = "Желаете ли окончателно изтриване на мелодията?";
    const Row rows[] = {
        {"move, OK", View::Rings, 1, kAnswerOk, move, "Deleted other.wav", "old.wav x.wav"},
        {"move, Cancel", View::Rings, 1, kAnswerCancel, move, "Deleted other.wav x.wav",
         "old.wav x.wav"},
        {"delete, OK", View::Rings, 0, kAnswerOk, forGood, "Deleted other.wav", "old.wav x.wav"},
        {"greyed counts as clear", View::Rings, 2, kAnswerOk, forGood, "Deleted other.wav",
         "old.wav x.wav"},
        {"delete, Cancel", View::Rings, 0, kAnswerCancel, forGood, "Deleted other.wav x.wav",
         "old.wav x.wav"},
        {"restore", View::Deleted, 1, std::nullopt, "", "Deleted other.wav x.wav", "old.wav"},
        {"delete from Deleted, OK", View::Deleted, 0, kAnswerOk, forGood, "Deleted other.wav x.wav",
         "old.wav"},
        {"delete from Deleted, Cancel", View::Deleted, 2, kAnswerCancel, forGood,
         "Deleted other.wav x.wav", "old.wav x.wav"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        files.remove(rings);
        files.makeFolder(deleted);
        addMelody(rings, "x.wav", "rings x");
        addMelody(rings, "other.wav");
        addMelody(deleted, "x.wav", "deleted x");
        addMelody(deleted, "old.wav");
        setCheck2(row.check2);
        box.questions.clear();
        open();
        if (row.view == View::Deleted) {
            form->pd_Click();
        }
        clickEntry("x.wav");
        if (row.answer) {
            box.answer(row.answer);
        }
        form->Command3_Click();

        if (*row.question == '\0') {
            EXPECT_TRUE(box.questions.empty());
        } else {
            ASSERT_EQ(box.questions.size(), 1u);
            EXPECT_EQ(box.questions[0].message, row.question);
            EXPECT_EQ(box.questions[0].title, "Потвърди изтриването");
        }
        EXPECT_EQ(listing(rings), row.ringsAfter);
        EXPECT_EQ(listing(deleted), row.deletedAfter);
        EXPECT_TRUE(box.errors.empty()) << box.errors[0].message;
        expectRingsView();
    }
}

TEST_F(DeleteMoveRestore, AMelodyTheListDoesNotShowIsNeverTouched) {
    // clicked in the Rings view, then the list switched to Deleted: s names a hidden melody
    addMelody(rings, "x.wav");
    addMelody(deleted, "y.wav");
    for (std::int16_t check2 : {std::int16_t{0}, std::int16_t{1}}) {
        SCOPED_TRACE(check2);
        setCheck2(check2);
        box.questions.clear();
        open();
        clickEntry("x.wav");
        form->pd_Click();
        box.answer(kAnswerOk);
        form->Command3_Click();
        EXPECT_TRUE(box.questions.empty()) << "no question about a melody not on screen";
        ASSERT_EQ(box.notices.size(), 1u);
        EXPECT_EQ(box.notices[0].message, kNothingMarked);
        box.notices.clear();
        EXPECT_EQ(listing(rings), "Deleted x.wav");
        EXPECT_EQ(listing(deleted), "y.wav");
        EXPECT_EQ(form->s(), "C:\\Program Files\\Zorvik\\Rings\\x.wav");
        expectRingsView();
    }
}

TEST_F(DeleteMoveRestore, NothingClickedSinceStartTouchesNothingAndSaysSo) {
    addMelody(rings, "x.wav");
    for (std::int16_t check2 : {std::int16_t{0}, std::int16_t{1}}) {
        setCheck2(check2);
        box.notices.clear();
        open();
        form->Command3_Click();
        EXPECT_TRUE(box.questions.empty());
        EXPECT_TRUE(box.errors.empty());
        ASSERT_EQ(box.notices.size(), 1u) << "a notice, with the information icon";
        EXPECT_EQ(box.notices[0].message, kNothingMarked);
        EXPECT_EQ(box.notices[0].title, "Избор на мелодия за Zorvik BG");
        EXPECT_EQ(listing(rings), "Deleted x.wav");
    }
}

// A move is all or nothing, both ways: a read-only melody moves (as on Windows) and replaces an
// older namesake; a move that cannot take the melody out of its folder changes neither folder.
TEST_F(DeleteMoveRestore, AMoveNeverLeavesTheMelodyInBothFoldersOrLosesTheOlderOne) {
    struct Case {
        const char* what;
        bool fromDeleted;
        bool removalFails;
        const char* ringsAfter;
        const char* deletedAfter;
    };
    const Case cases[] = {
        {"into Deleted", false, false, "Deleted", "x.wav"},
        {"into Deleted, removal fails", false, true, "Deleted x.wav", "x.wav"},
        {"back into Rings", true, false, "Deleted x.wav", ""},
        {"back into Rings, removal fails", true, true, "Deleted x.wav", "x.wav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        files.remove(rings);
        files.makeFolder(deleted);
        const WinPath source = (c.fromDeleted ? deleted : rings) / "x.wav";
        const WinPath older = (c.fromDeleted ? rings : deleted) / "x.wav";
        addMelody(c.fromDeleted ? deleted : rings, "x.wav", "the melody");
        addMelody(c.fromDeleted ? rings : deleted, "x.wav", "an older one");
        files.setReadOnly(source, true);
        setCheck2(1);
        box.errors.clear();
        open();
        if (c.fromDeleted) {
            form->pd_Click();
        }
        clickEntry("x.wav");
        if (c.removalFails) {
            // as between two volumes, where the melody is copied and then removed
            files.failNext(FileStep::MoveInOneStep, ErrorCode::NotSameVolume);
            files.failNext(FileStep::RemoveSource, ErrorCode::AccessDenied);
        }
        box.answer(kAnswerOk);
        form->Command3_Click();
        EXPECT_EQ(listing(rings), c.ringsAfter);
        EXPECT_EQ(listing(deleted), c.deletedAfter);
        if (c.removalFails) {
            ASSERT_EQ(box.errors.size(), 1u);
            EXPECT_NE(box.errors[0].message.find("Двете папки остават, каквито бяха."),
                      std::string::npos)
                << box.errors[0].message;
            EXPECT_EQ(readFile(source), "the melody");
            EXPECT_EQ(readFile(older), "an older one");
        } else {
            EXPECT_TRUE(box.errors.empty()) << box.errors[0].message;
            EXPECT_EQ(readFile(older), "the melody");
        }
        expectRingsView();
    }
}

TEST_F(DeleteMoveRestore, RestoreWorksFromTheMelodyLastClickedAfterARepaintClearedTheSelection) {
    addMelody(deleted, "x.wav");
    setCheck2(1);
    open();
    form->pd_Click();
    clickEntry("x.wav");
    form->Form_Paint();
    ASSERT_FALSE(form->File1().selectedIndex());
    form->Command3_Click();
    EXPECT_EQ(listing(rings), "Deleted x.wav");
    EXPECT_EQ(listing(deleted), "");
}

TEST_F(DeleteMoveRestore, AMoveWhoseCopyFailsIsShownAndNeverDeletesTheSource) {
    addMelody(rings, "x.wav");
    setCheck2(1);
    open();
    clickEntry("x.wav");
    files.remove(deleted);  // the Deleted folder is gone
    box.answer(kAnswerOk);
    form->Command3_Click();
    ASSERT_EQ(box.errors.size(), 1u);
    EXPECT_EQ(box.errors[0].message,
              "Файлът „C:\\Program Files\\Zorvik\\Rings\\x.wav“ не може да бъде преместен в "
              "„C:\\Program Files\\Zorvik\\Rings\\Deleted\\x.wav“: папката на целта не "
              "съществува. Двете папки остават, каквито бяха.");
    EXPECT_EQ(box.errors[0].title, "Избор на мелодия за Zorvik BG");
    EXPECT_EQ(listing(rings), "x.wav");
    expectRingsView();
}

TEST_F(DeleteMoveRestore, ADeleteThatFailsIsShownAndTheViewStillReturnsToRings) {
    addMelody(deleted, "x.wav");
    open();
    form->pd_Click();
    clickEntry("x.wav");
    files.remove(deleted / "x.wav");  // another program took it meanwhile
    box.answer(kAnswerOk);
    form->Command3_Click();
    ASSERT_EQ(box.errors.size(), 1u);
    EXPECT_NE(box.errors[0].message.find("не може да бъде изтрит: файлът не съществува"),
              std::string::npos)
        << box.errors[0].message;
    expectRingsView();
}

TEST_F(DeleteMoveRestore, FromAnotherFolderTheClickReturnsToTheInstallRingsOrElseToItsOwn) {
    const WinPath tools = driveC / "Tools";
    files.makeFolder(tools / "Rings" / "Deleted");
    addMelody(tools / "Rings" / "Deleted", "t.wav");
    open("C:\\Tools");
    form->pd_Click();
    EXPECT_EQ(form->File1().Path(), "C:\\Tools\\Rings\\Deleted");
    form->Command3_Click();
    EXPECT_EQ(form->File1().Path(), "C:\\Program Files\\Zorvik\\Rings");

    files.remove(install);
    form->pd_Click();
    form->Command3_Click();
    EXPECT_EQ(form->File1().Path(), "C:\\Tools\\Rings")
        << "never left on Deleted with the delete caption";
    EXPECT_EQ(form->Command3Caption(), "Изтриване на маркираната мелодия");
    EXPECT_TRUE(box.errors.empty());
}

}  // namespace
}  // namespace zorvik
