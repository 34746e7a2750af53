#include <gtest/gtest.h>

#include "settings/move_journal.h"
#include "texts/texts.h"

using zorvik::texts::kNothingMarked;
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
    // Asserts what every click leaves behind: the Rings view on the install folder, with the
    // melody last clicked marked where that folder holds it ("" for none).
    void expectRingsView(const std::string& marked) {
        EXPECT_EQ(form->File1().Path(), "C:\\Program Files\\Zorvik\\Rings");
        EXPECT_EQ(form->Command3Caption(), "Изтриване на маркираната мелодия");
        EXPECT_EQ(form->view(), MelodyView::Rings);
        EXPECT_EQ(form->File1().FileName(), marked);
    }
};

enum class View { Rings, Deleted };

struct Row {
    const char* what;
    View view;
    std::int16_t check2;
    bool namesake;  // the other folder holds X.WAV, the same name in other case
    std::optional<int> answer;
    std::string question;  // "" when none may be asked
    const char* ringsAfter;
    const char* deletedAfter;
    const char* markedAfter;
};

// Each question names the melody, and any melody of that name that its answer would replace.
TEST_F(DeleteMoveRestore, EveryRowOfTheResultingBehaviour) {
    const std::string move = "Желаете ли преместване на мелодията в папка ''Deleted''?\r\n„x.wav“";
    const std::string forGood = "Желаете ли окончателно изтриване на мелодията?\r\n„x.wav“";
    const std::string restore = "Желаете ли връщане на мелодията в папката с мелодии?\r\n„x.wav“";
    const std::string replacing = "\r\nСъществуващата мелодия „C:\\Program Files\\Zorvik\\Rings";
    const std::string inDeleted = replacing + "\\Deleted\\X.WAV“ ще бъде заменена.";
    const std::string inRings = replacing + "\\X.WAV“ ще бъде заменена.";
    const Row rows[] = {
        {"move, OK", View::Rings, 1, false, kAnswerOk, move, "Deleted other.wav", "old.wav x.wav",
         ""},
        {"move, Cancel", View::Rings, 1, false, kAnswerCancel, move, "Deleted other.wav x.wav",
         "old.wav", "x.wav"},
        {"move onto a namesake, OK", View::Rings, 1, true, kAnswerOk, move + inDeleted,
         "Deleted other.wav", "X.WAV old.wav", ""},
        {"move onto a namesake, Cancel", View::Rings, 1, true, kAnswerCancel, move + inDeleted,
         "Deleted other.wav x.wav", "X.WAV old.wav", "x.wav"},
        {"delete, OK", View::Rings, 0, true, kAnswerOk, forGood, "Deleted other.wav",
         "X.WAV old.wav", ""},
        {"greyed counts as clear", View::Rings, 2, false, kAnswerOk, forGood, "Deleted other.wav",
         "old.wav", ""},
        {"delete, Cancel", View::Rings, 0, false, kAnswerCancel, forGood, "Deleted other.wav x.wav",
         "old.wav", "x.wav"},
        {"restore", View::Deleted, 1, false, std::nullopt, "", "Deleted other.wav x.wav", "old.wav",
         ""},
        {"restore onto a namesake, OK", View::Deleted, 1, true, kAnswerOk, restore + inRings,
         "Deleted X.WAV other.wav", "old.wav", ""},
        {"restore onto a namesake, Cancel", View::Deleted, 1, true, kAnswerCancel,
         restore + inRings, "Deleted X.WAV other.wav", "old.wav x.wav", ""},
        {"delete from Deleted, OK", View::Deleted, 0, true, kAnswerOk, forGood,
         "Deleted X.WAV other.wav", "old.wav", ""},
        {"delete from Deleted, Cancel", View::Deleted, 2, false, kAnswerCancel, forGood,
         "Deleted other.wav", "old.wav x.wav", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        emptyFolders();
        const WinPath& here = row.view == View::Rings ? rings : deleted;
        const WinPath& there = row.view == View::Rings ? deleted : rings;
        addMelody(here, "x.wav", "the melody");
        if (row.namesake) {
            addMelody(there, "X.WAV", "its namesake");
        }
        addMelody(rings, "other.wav");
        addMelody(deleted, "old.wav");
        setCheck2(row.check2);
        box.questions.clear();
        open();
        // a copy a killed run left in the folder goes with the next action there
        const WinPath abandoned = here / ".zorvik-copy-7.tmp";
        writeFile(abandoned, "abandoned");
        if (row.view == View::Deleted) {
            form->pd_Click();
        }
        clickEntry("x.wav");
        form->Form_Paint();  // the melody stays marked, and the button acts on it
        if (row.answer) {
            box.answer(row.answer);
        }
        form->Command3_Click();
        EXPECT_EQ(files.exists(abandoned.text).value(), row.answer == kAnswerCancel);
        files.remove(abandoned);

        if (row.question.empty()) {
            EXPECT_TRUE(box.questions.empty());
        } else {
            ASSERT_EQ(box.questions.size(), 1u);
            EXPECT_EQ(box.questions[0].message, row.question);
            const bool restoring = row.view == View::Deleted && row.check2 == 1;
            EXPECT_EQ(box.questions[0].title,
                      restoring ? "Потвърди връщането" : "Потвърди изтриването");
        }
        EXPECT_EQ(listing(rings), row.ringsAfter);
        EXPECT_EQ(listing(deleted), row.deletedAfter);
        if (row.namesake) {
            const bool replaced = row.answer == kAnswerOk && row.check2 == 1;
            EXPECT_EQ(readFile(there / "X.WAV"), replaced ? "the melody" : "its namesake");
        }
        EXPECT_TRUE(box.errors.empty()) << box.errors[0].message;
        expectRingsView(row.markedAfter);
    }
}

// The button acts only on the melody the list shows marked: never on one it no longer shows.
TEST_F(DeleteMoveRestore, AMelodyNotMarkedIsNeverTouchedAndANoticeSaysSo) {
    struct Case {
        const char* what;
        std::function<void()> afterOpening;
        const char* markedAfter;
    };
    const Case cases[] = {
        {"nothing clicked since start", [] {}, ""},
        {"clicked, then the list switched to Deleted",
         [&] {
             clickEntry("x.wav");
             form->pd_Click();
         },
         "x.wav"},
        {"clicked, then gone, and the list read again",
         [&] {
             clickEntry("x.wav");
             files.rename(rings / "x.wav", deleted / "x.wav");
             form->Form_Paint();
         },
         ""},
    };
    for (const auto& c : cases) {
        for (std::int16_t check2 : {std::int16_t{0}, std::int16_t{1}}) {
            SCOPED_TRACE(std::string(c.what) + ", Check2=" + std::to_string(check2));
            emptyFolders();
            addMelody(rings, "x.wav");
            addMelody(deleted, "y.wav");
            setCheck2(check2);
            box.notices.clear();
            open();
            c.afterOpening();
            const std::string arranged = listing(rings) + "|" + listing(deleted);
            box.answer(kAnswerOk);
            form->Command3_Click();
            EXPECT_TRUE(box.questions.empty()) << "no question about a melody not on screen";
            EXPECT_TRUE(box.errors.empty());
            ASSERT_EQ(box.notices.size(), 1u) << "a notice, with the information icon";
            EXPECT_EQ(box.notices[0].message, kNothingMarked);
            EXPECT_EQ(box.notices[0].title, "Избор на мелодия за Zorvik BG");
            EXPECT_EQ(listing(rings) + "|" + listing(deleted), arranged);
            expectRingsView(c.markedAfter);
        }
    }
}

// A read-only melody moves both ways (as on Windows) and replaces an older namesake; a move's
// journal this program would not have written is set aside, acting on nothing. (What a failed
// move leaves is the transaction contract's, and what it shows the table below.)
TEST_F(DeleteMoveRestore, AMoveNeverLeavesTheMelodyInBothFoldersOrLosesTheOlderOne) {
    struct Case {
        const char* what;
        bool fromDeleted;
        const char* ringsAfter;
        const char* deletedAfter;
        // a journal found at the start: the destination and the kept older one it names
        std::string foreignDestination = {};
        std::string foreignKept = {};
        std::string foreignSource = {};  // "": the melody moved
    };
    const std::string x = rings.text + "\\x.wav";
    const std::string kept = deleted.text + "\\x.wav";
    const Case cases[] = {
        {"into Deleted", false, "Deleted", "x.wav"},
        {"into Deleted, the melody its own destination", false, "Deleted", "x.wav", x},
        {"into Deleted, in another case", false, "Deleted", "x.wav", rings.text + "\\X.WAV"},
        {"into Deleted, an older one kept as a melody", false, "Deleted", "x.wav", kept, kept},
        {"into Deleted, the journal's ends named apart", false, "Deleted", "x.wav",
         deleted.text + "\\y.wav"},
        {"into Deleted, from a folder outside",
         false,
         "Deleted",
         "x.wav",
         kept,
         {},
         "C:\\Windows\\x.wav"},
        {"into Deleted, the journal's into a folder outside", false, "Deleted", "x.wav",
         "C:\\Windows\\x.wav"},
        {"into Deleted, the journal's older one kept in another folder", false, "Deleted", "x.wav",
         kept, rings.text + "\\.zorvik-kept-1.tmp"},
        // longer than any file system's name: nothing could ever finish it
        {"into Deleted, a name no file system holds",
         false,
         "Deleted",
         "x.wav",
         deleted.text + "\\" + std::string(3000, 'n') + ".wav",
         {},
         rings.text + "\\" + std::string(3000, 'n') + ".wav"},
        {"back into Rings", true, "Deleted x.wav", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        emptyFolders();
        const WinPath older = (c.fromDeleted ? rings : deleted) / "x.wav";
        addMelody(c.fromDeleted ? deleted : rings, "x.wav", "the melody");
        addMelody(c.fromDeleted ? rings : deleted, "x.wav", "an older one");
        files.setReadOnly((c.fromDeleted ? deleted : rings) / "x.wav", true);
        setCheck2(1);
        box.errors.clear();
        registry.erase("Software\\Zorvik Melodies", "MoveUnderWay.corrupt");
        const bool foreign = !c.foreignDestination.empty();
        if (foreign) {
            registry.set("Software\\Zorvik Melodies", "MoveUnderWay",
                         RegistryValue::string(
                             settings::encodeMove({c.foreignSource.empty() ? x : c.foreignSource,
                                                   c.foreignDestination, c.foreignKept})));
        }
        open();
        EXPECT_FALSE(registry.get("Software\\Zorvik Melodies", "MoveUnderWay"));
        EXPECT_EQ(registry.get("Software\\Zorvik Melodies", "MoveUnderWay.corrupt").has_value(),
                  foreign)
            << "set aside whole";
        if (c.fromDeleted) {
            form->pd_Click();
        }
        clickEntry("x.wav");
        box.answer(kAnswerOk);
        form->Command3_Click();
        EXPECT_EQ(listing(rings), c.ringsAfter);
        EXPECT_EQ(listing(deleted), c.deletedAfter);
        EXPECT_TRUE(box.errors.empty()) << box.errors[0].message;
        EXPECT_EQ(readFile(older), "the melody");
        expectRingsView("");
    }
}

// A move, restore or delete that fails says why in one box naming the melody, changes nothing
// else, and the view still returns to Rings.
TEST_F(DeleteMoveRestore, AFailureIsShownChangesNothingAndTheViewStillReturnsToRings) {
    const auto failed = [](const WinPath& melody, const std::string& how) {
        return "Файлът „" + melody.text + "“ не може да бъде " + how;
    };
    const std::string intoDeleted = "преместен в „" + (deleted / "x.wav").text + "“: ";
    const std::string intoRings = "преместен в „" + (rings / "x.wav").text + "“: ";
    const std::string bothStay = " Двете папки остават, каквито бяха.";
    const std::string gone = "изходният файл не съществува." + bothStay;
    const struct {
        const char* what;
        bool fromDeleted;
        std::int16_t check2;
        bool melodyTaken;  // by another program, after the click; else the Deleted folder
        std::string message;
        const char* markedAfter;
        // an earlier move's journal that will not go once settled, before a move across
        // volumes, which would journal itself
        bool earlierUnfinished = false;
        bool anotherCopyMoving = false;  // holds the lock a move takes
    } cases[] = {
        {"a move, the Deleted folder gone", false, 1, false,
         failed(rings / "x.wav", intoDeleted + "папката на целта не съществува." + bothStay),
         "x.wav"},
        {"a move", false, 1, true, failed(rings / "x.wav", intoDeleted + gone), ""},
        {"a delete", false, 0, true, failed(rings / "x.wav", "изтрит: файлът не съществува."), ""},
        {"a restore", true, 1, true, failed(deleted / "x.wav", intoRings + gone), ""},
        {"a delete from Deleted", true, 0, true,
         failed(deleted / "x.wav", "изтрит: файлът не съществува."), ""},
        {"a move while an earlier one is unfinished", false, 1, false,
         failed(
             rings / "x.wav",
             intoDeleted + "по-ранно преместване не е довършено (достъпът е отказан)." + bothStay),
         "x.wav", true},
        {"a move while another copy moves", false, 1, false,
         "Мелодията „" + (rings / "x.wav").text +
             "“ не може да бъде преместена сега: друго копие на програмата променя мелодиите в "
             "момента.",
         "x.wav", false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        emptyFolders();
        addMelody(c.fromDeleted ? deleted : rings, "x.wav");
        setCheck2(c.check2);
        box.errors.clear();
        open();
        if (c.fromDeleted) {
            form->pd_Click();
        }
        clickEntry("x.wav");
        if (c.earlierUnfinished) {
            registry.set("Software\\Zorvik Melodies", "MoveUnderWay",
                         RegistryValue::string(settings::encodeMove(
                             {(rings / "y.wav").text, (deleted / "y.wav").text, ""})));
            registry.failWrites(1);
            files.failNext(FileStep::MoveInOneStep, ErrorCode::NotSameVolume);
        } else {
            files.remove(c.melodyTaken ? (c.fromDeleted ? deleted : rings) / "x.wav" : deleted);
        }
        const std::string arranged = listing(rings) + "|" + listing(deleted);
        box.answer(kAnswerOk);
        ringLock.heldElsewhere = c.anotherCopyMoving;
        form->Command3_Click();
        ringLock.heldElsewhere = false;
        ASSERT_EQ(box.errors.size(), 1u);
        EXPECT_EQ(box.errors[0].message, c.message);
        EXPECT_EQ(box.errors[0].title, "Избор на мелодия за Zorvik BG");
        EXPECT_EQ(listing(rings) + "|" + listing(deleted), arranged);
        expectRingsView(c.markedAfter);
    }
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
