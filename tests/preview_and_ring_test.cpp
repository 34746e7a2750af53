#include <gtest/gtest.h>

#include "settings/ring_choice_journal.h"
#include "tests/support/form_fixture.h"
#include "tests/support/sound_files.h"

namespace zorvik {
namespace {

using testing::FakeFileSystem;
using testing::FormFixture;
using testing::WinPath;

constexpr const char* kRingQuestion =
    "Желаете ли запис на избраната мелодия\r\n за звънене на Zorvik BG?";

class PreviewAndRing : public FormFixture, public ::testing::Test {
protected:
    PreviewAndRing() {
        addMelody(rings, "Звън.wav", "zvan");
        addMelody(rings, "b.wav", "bee");
        addMelody(deleted, "old.wav", "old");
        writeFile(install / "Phone.wav", "previous ring");
    }
    std::string stored(const char* name) {
        const auto value = registry.read("Zorvik\\Setings", name);
        return value.ok() ? value.value().text : "<missing>";
    }
};

// A melody that cannot be played is said so, and still recorded, but never chosen to ring.
TEST_F(PreviewAndRing, AClickRecordsTheMelodyAndPlaysItUnlessTheBoxIsClear) {
    const Failure unplayable{ErrorCode::Unsupported, "Мелодията не може да бъде изсвирена."};
    struct Case {
        const char* audio;
        bool plays;
        bool playable = true;
    };
    for (const auto& c :
         {Case{"0", false}, Case{"1", true}, Case{"2", true}, Case{"1", true, false}}) {
        SCOPED_TRACE(std::string("Audio=") + c.audio + (c.playable ? "" : ", unplayable"));
        writeStore(std::string("\"Audio\"=dword:0000000") + c.audio + "\n");
        player.played.clear();
        player.failure = c.playable ? std::nullopt : std::optional(unplayable);
        box.errors.clear();
        open();
        clickEntry("Звън.wav");
        EXPECT_EQ(form->s(), "C:\\Program Files\\Zorvik\\Rings\\Звън.wav");
        EXPECT_EQ(player.fileName, "C:\\Program Files\\Zorvik\\Rings\\Звън.wav");
        EXPECT_EQ(player.played.size(), c.plays ? 1u : 0u);
        EXPECT_EQ(box.errors.size(), c.playable ? 0u : 1u);
        if (!c.playable) {
            EXPECT_EQ(box.errors[0].message, unplayable.message);
        }
        // the ring choice makes the preview's check first, whatever the box: what the player
        // refuses is refused before the question, and nothing changes
        player.refusal = c.playable
                             ? std::nullopt
                             : std::optional(Failure{ErrorCode::Corrupt, "файлът е повреден"});
        player.checked.clear();
        const std::string before = storeText() + readFile(install / "Phone.wav");
        box.questions.clear();
        box.errors.clear();
        form->Command2_Click();
        EXPECT_EQ(player.checked, std::vector<std::string>{form->s()});
        EXPECT_EQ(box.questions.size(), c.playable ? 1u : 0u);
        if (!c.playable) {
            ASSERT_EQ(box.errors.size(), 1u);
            EXPECT_EQ(box.errors[0].message,
                      "Мелодията „Звън.wav“ не може да бъде записана за звънене: файлът е "
                      "повреден. Мелодията за звънене и записът ѝ в настройките остават, каквито "
                      "бяха.");
        }
        EXPECT_EQ(storeText() + readFile(install / "Phone.wav"), before);
    }
}

// OK copies the marked melody over the ring file beside the program and records where it came
// from, as a string, from whichever folder and view; Cancel before it changes nothing but reads
// the texts again, and a repaint loses nothing.
TEST_F(PreviewAndRing, OkCopiesTheMarkedMelodyOverTheRingFileAndRecordsIt) {
    const WinPath tools = driveC / "Tools";
    files.makeFolder(tools / "Rings");
    addMelody(tools / "Rings", "t.wav", "tools melody");
    const struct {
        const char* what;
        const char* programFolder;
        bool inDeleted;
        const char* melody;
        const char* content;
        const char* folder;
    } cases[] = {
        {"Rings", "C:\\Program Files\\Zorvik", false, "Звън.wav", "zvan",
         "C:\\Program Files\\Zorvik\\Rings"},
        {"the Deleted view", "C:\\Program Files\\Zorvik", true, "old.wav", "old",
         "C:\\Program Files\\Zorvik\\Rings\\Deleted"},
        {"another folder: the ring file stays fixed", "C:\\Tools", false, "t.wav", "tools melody",
         "C:\\Tools\\Rings"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        box.questions.clear();
        open(c.programFolder);
        if (c.inDeleted) {
            form->pd_Click();
        }
        clickEntry(c.melody);
        writeStore("\"RingSound\"=\"changed by the phone.wav\"\n");
        const std::string before = storeText() + readFile(install / "Phone.wav");
        box.answer(kAnswerCancel);
        form->Command2_Click();
        EXPECT_EQ(storeText() + readFile(install / "Phone.wav"), before)
            << "Cancel changes nothing";
        EXPECT_EQ(form->Text1() + "|" + form->Text2(),
                  "changed by the phone.wav|changed by the phone.wav")
            << "but the texts are read again";
        form->Form_Paint();  // where the box stood: the melody stays marked
        box.answer(kAnswerOk);
        form->Command2_Click();
        ASSERT_EQ(box.questions.size(), 2u);
        EXPECT_EQ(box.questions[1].message, std::string(kRingQuestion) + "\r\n„" + c.melody + "“");
        EXPECT_EQ(box.questions[1].title, "Избор на мелодия...");
        EXPECT_EQ(readFile(install / "Phone.wav"), c.content);
        EXPECT_EQ(stored("AudioPath"), c.folder);
        EXPECT_EQ(registry.read("Zorvik\\Setings", "AudioPath").value().type,
                  RegistryValue::Type::String);
        EXPECT_EQ(stored("RingSound"), c.melody);
        EXPECT_EQ(form->Text1(), c.melody);
        EXPECT_EQ(form->Text2(), c.melody);
        EXPECT_EQ(form->view(), c.inDeleted ? MelodyView::Deleted : MelodyView::Rings)
            << "choosing keeps the view";
        EXPECT_TRUE(box.errors.empty());
    }
}

TEST_F(PreviewAndRing, TheCopyActsOnTheCurrentSelectionNotTheMelodyLastClicked) {
    open();
    clickEntry("b.wav");
    form->selectEntry(1);  // Звън.wav, selected without a click handler running
    box.answer(kAnswerOk);
    form->Command2_Click();
    EXPECT_EQ(readFile(install / "Phone.wav"), "zvan");
    EXPECT_EQ(form->s(), "C:\\Program Files\\Zorvik\\Rings\\Звън.wav");
}

// The copy runs under a dialog that says what it does to which melody; its Cancel, however late
// (at the last report, or after it while the copy was flushed), leaves the ring file, the
// record and both folders as they were, no temporary behind and no box.
TEST_F(PreviewAndRing, ACancelledCopyLeavesEverythingAsItWasAndSaysNothing) {
    const WinPath elsewhere{"D:\\Elsewhere"};
    writeFile(elsewhere / "new.wav", testing::waveFile("new melody"));
    writeFile(elsewhere / "new.ogg", testing::fakeSound(1, 8000, 100));
    const struct {
        const char* what;
        std::function<void()> act;
        const char* said;
    } cases[] = {
        {"the ring choice", [&] { chooseRing("b.wav"); }, "Копиране на „b.wav“…"},
        {"adding a melody", [&] { addThroughDialog((elsewhere / "new.wav").text); },
         "Копиране на „new.wav“…"},
        {"converting a sound", [&] { addThroughDialog((elsewhere / "new.ogg").text); },
         "Преобразуване на „new.ogg“…"},
        {"a move into the Deleted folder on another volume",
         [&] {
             form->clickCheck2();
             clickEntry("b.wav");
             files.failNext(FileStep::MoveInOneStep, ErrorCode::NotSameVolume);
             box.answer(kAnswerOk);
             form->Command3_Click();
         },
         "Преместване на „b.wav“…"},
    };
    // each cancelled at its last report, then after it
    for (std::size_t run = 0; run < 2 * std::size(cases); ++run) {
        const auto& c = cases[run / 2];
        const bool afterTheWork = run % 2 == 1;
        SCOPED_TRACE(std::string(c.what) + (afterTheWork ? ", after the last report" : ""));
        writeStore("\"RingSound\"=\"Звън.wav\"\n");
        open();
        const std::string before = storeText();
        const std::string foldersBefore = listing(rings) + " | " + listing(deleted);
        progress.said.clear();
        if (afterTheWork) {
            progress.cancelAfterTheWork = true;
        } else {
            progress.cancelAt = 1;  // the last report of a small file: all but in place
        }
        c.act();
        progress.cancelAt.reset();
        progress.cancelAfterTheWork = false;
        EXPECT_EQ(progress.said, std::vector<std::string>{c.said});
        EXPECT_EQ(progress.cancels, 1);
        progress.cancels = 0;
        EXPECT_TRUE(box.errors.empty()) << box.errors.front().message;
        EXPECT_EQ(readFile(install / "Phone.wav"), "previous ring");
        EXPECT_EQ(listing(install), "Phone.wav Rings") << "no temporary file stays";
        EXPECT_EQ(listing(rings) + " | " + listing(deleted), foldersBefore);
        EXPECT_EQ(storeText(), before);
        EXPECT_EQ(form->Text1(), "Звън.wav");
    }
    // and uncancelled, the same copy goes through the dialog
    chooseRing("b.wav");
    EXPECT_EQ(readFile(install / "Phone.wav"), "bee");
}

TEST_F(PreviewAndRing, WithNothingMarkedItSaysSoWithoutAskingAndKeepsTheRecord) {
    writeStore(
        "\"AudioPath\"=\"C:\\\\Program Files\\\\Zorvik\\\\Rings\"\n\"RingSound\"=\"b.wav\"\n");
    const std::string before = storeText();
    for (const bool clickedBeforeTheViewChanged : {false, true}) {
        SCOPED_TRACE(clickedBeforeTheViewChanged ? "in the Deleted view" : "nothing clicked");
        box.notices.clear();
        open();
        if (clickedBeforeTheViewChanged) {
            clickEntry("Звън.wav");
            form->pd_Click();
        }
        form->Command2_Click();
        EXPECT_TRUE(box.questions.empty());
        EXPECT_TRUE(box.errors.empty());
        ASSERT_EQ(box.notices.size(), 1u);
        EXPECT_EQ(box.notices[0].message,
                  "Няма маркирана мелодия: маркирайте мелодия в списъка и запишете отново.");
        EXPECT_EQ(readFile(install / "Phone.wav"), "previous ring");
        EXPECT_EQ(storeText(), before);
        EXPECT_EQ(form->Text1(), "b.wav");
    }
}

// The ring file and its record are one transaction: whichever step fails, the phone program
// finds both as they were, and the box says what failed and that nothing changed.
TEST_F(PreviewAndRing, TheRingFileAndItsRecordChangeTogetherOrNotAtAll) {
    struct Case {
        const char* what;
        std::function<void()> breakIt;
        const char* message;
        std::string store = "\"AudioPath\"=\"C:\\\\Old\"\n";  // and no name yet
    };
    const std::string inUse =
        "Файлът за звънене „C:\\Program Files\\Zorvik\\Phone.wav“ се използва от друга "
        "програма. Затворете тази програма или опитайте отново след малко. Мелодията за "
        "звънене и записът ѝ в настройките остават, каквито бяха.";
    const auto switchInUse = [&] { files.failNext(FileStep::RenameIntoPlace, ErrorCode::InUse); };
    const Case cases[] = {
        {"the melody is gone", [&] { files.remove(rings / "b.wav"); },
         "Файлът „C:\\Program Files\\Zorvik\\Rings\\b.wav“ не може да бъде копиран в "
         "„C:\\Program Files\\Zorvik\\Phone.wav“: изходният файл не съществува. Мелодията за "
         "звънене и записът ѝ в настройките остават, каквито бяха."},
        {"the ring file is a folder",
         [&] {
             files.remove(install / "Phone.wav");
             files.makeFolder(install / "Phone.wav");
         },
         "Файлът „C:\\Program Files\\Zorvik\\Rings\\b.wav“ не може да бъде копиран в "
         "„C:\\Program Files\\Zorvik\\Phone.wav“: целта е папка. Мелодията за звънене и "
         "записът ѝ в настройките остават, каквито бяха."},
        {"the settings refuse the journal", [&] { registry.failWrites(1); },
         "Настройката „HKEY_CURRENT_USER\\Software\\Zorvik Melodies\\RingChoiceUnderWay“ не "
         "може да бъде записана: достъпът е отказан. Мелодията за звънене и записът ѝ в "
         "настройките остават, каквито бяха."},
        {"the settings refuse the record",
         [&] { registry.failWrites(1, ErrorCode::AccessDenied, 1); },  // after the journal's
         "Настройката „HKEY_CURRENT_USER\\Zorvik\\Setings\\AudioPath“ не може да бъде "
         "записана: достъпът е отказан. Мелодията за звънене и записът ѝ в настройките остават, "
         "каквито бяха."},
        {"the ring file cannot be switched",
         [&] { files.failNext(FileStep::RenameIntoPlace, ErrorCode::AccessDenied); },
         "Файлът „C:\\Program Files\\Zorvik\\Rings\\b.wav“ не може да бъде копиран в "
         "„C:\\Program Files\\Zorvik\\Phone.wav“: достъпът е отказан. Мелодията за звънене "
         "и записът ѝ в настройките остават, каквито бяха."},
        {"the ring file is in use", switchInUse, inUse.c_str()},
        // a type this program never writes, which another tool left, goes back as it was
        {"in use, the folder recorded as a multi-string", switchInUse, inUse.c_str(),
         "\"AudioPath\"=hex(7):43,00,3a,00,00,00,00,00\n\"RingSound\"=hex:01\n"},
        {"the settings cannot be read first", [&] { registry.setUnreadable(true); },
         "Настройката „HKEY_CURRENT_USER\\Software\\Zorvik Melodies\\RingChoiceUnderWay“ не "
         "може да бъде прочетена: достъпът е отказан. Мелодията за звънене и записът ѝ в "
         "настройките остават, каквито бяха."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        files.remove(install / "Phone.wav");
        writeFile(install / "Phone.wav", "previous ring");
        addMelody(rings, "b.wav", "bee");
        writeStore(c.store);
        const std::string before = storeText();
        box.errors.clear();
        open();
        clickEntry("b.wav");
        c.breakIt();
        const std::string ringBefore = listing(install) + readFile(install / "Phone.wav");
        box.answer(kAnswerOk);
        form->Command2_Click();
        registry.setUnreadable(false);
        ASSERT_EQ(box.errors.size(), 1u);
        EXPECT_EQ(box.errors[0].message, c.message);
        EXPECT_EQ(listing(install) + readFile(install / "Phone.wav"), ringBefore);
        EXPECT_EQ(listing(install), "Phone.wav Rings") << "no temporary file stays";
        EXPECT_EQ(storeText(), before) << "a name written meanwhile is removed again";
        EXPECT_EQ(form->Text1(), "ddr") << "the boxes show the record as it stays";
    }
}

TEST_F(PreviewAndRing, WhenTheRecordCannotBeTakenBackTheBoxSaysWhatItNamesNow) {
    open();
    clickEntry("b.wav");
    files.failNext(FileStep::RenameIntoPlace, ErrorCode::AccessDenied);
    // the journal and the record go in, the undo does not
    registry.failWrites(1, ErrorCode::AccessDenied, 2);
    box.answer(kAnswerOk);
    form->Command2_Click();
    ASSERT_EQ(box.errors.size(), 1u);
    EXPECT_NE(
        // and why it could not be taken back
        box.errors[0].message.find("Записът в настройките обаче вече назовава новата мелодия: "
                                   "Настройката „HKEY_CURRENT_USER\\Zorvik\\Setings\\AudioPath“ "
                                   "не може да бъде записана: достъпът е отказан."),
        std::string::npos)
        << box.errors[0].message;
    EXPECT_EQ(readFile(install / "Phone.wav"), "previous ring");
    EXPECT_EQ(stored("RingSound"), "b.wav");
    open();  // the next start puts the record back, since the ring file was not switched
    EXPECT_EQ(stored("RingSound"), "<missing>");
    EXPECT_EQ(listing(install), "Phone.wav Rings");
}

// Settings held by another program for longer than the store waits: the ring choice and the
// close ask whether to try again, naming the value; Cancel leaves everything as it was, with no
// other box.
TEST_F(PreviewAndRing, SettingsHeldElsewhereAreRetriedOrLeftAsTheyWere) {
    const struct {
        const char* what;
        bool ringChoice;
        int answer;
        bool anotherCopyChoosing = false;  // the ring choice's lock held, not the settings
    } cases[] = {
        {"the ring choice, retried", true, kAnswerRetry},
        {"the ring choice, cancelled", true, kAnswerCancel},
        {"closing, retried", false, kAnswerRetry},
        {"closing, cancelled", false, kAnswerCancel},
        {"the ring choice, another copy choosing, cancelled", true, kAnswerCancel, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeStore("\"Audio\"=dword:00000001\n");
        box.retries.clear();
        box.errors.clear();
        open();
        form->clickCheck2();
        registry.failWrites(c.anotherCopyChoosing ? 0 : 1, ErrorCode::Busy,
                            c.ringChoice ? 1 : 0);  // past the journal's
        ringLock.heldElsewhere = c.anotherCopyChoosing;
        if (c.ringChoice) {
            clickEntry("b.wav");
            box.answer(kAnswerOk);
            box.answer(c.answer);
            form->Command2_Click();
        } else {
            box.answer(c.answer);
            close();
        }
        ringLock.heldElsewhere = false;
        ASSERT_EQ(box.retries.size(), 1u);
        EXPECT_NE(box.retries[0].message.find(c.anotherCopyChoosing ? "друго копие"
                                              : c.ringChoice        ? "\\AudioPath“"
                                                                    : "\\Audio“"),
                  std::string::npos)
            << box.retries[0].message;
        EXPECT_NE(box.retries[0].message.find("Да се опита ли отново?"), std::string::npos);
        EXPECT_TRUE(box.errors.empty()) << box.errors[0].message;
        const bool retried = c.answer == kAnswerRetry;
        if (c.ringChoice) {
            EXPECT_EQ(readFile(install / "Phone.wav"), retried ? "bee" : "previous ring");
            EXPECT_EQ(stored("RingSound"), retried ? "b.wav" : "<missing>");
        } else {
            EXPECT_EQ(storeText(), retried
                                       ? "\"Audio\"=dword:00000001\n\"inDeleted\"=dword:00000001\n"
                                       : "\"Audio\"=dword:00000001\n");
        }
        files.remove(install / "Phone.wav");
        writeFile(install / "Phone.wav", "previous ring");
    }
}

// A run killed during a ring choice leaves the choice's journal, perhaps its waiting copy, perhaps
// the record or the ring file changed: the next start, or the next choice, brings the two into
// agreement (both as before while the copy still waits, both new once it is the ring file) and
// leaves nothing behind. A journal this program would not have written is set aside whole, with
// nothing deleted, and stands in no later choice's way.
TEST_F(PreviewAndRing, AChoiceCutShortIsSettledByTheNextStartOrChoice) {
    const std::string waiting = "C:\\Program Files\\Zorvik\\.zorvik-copy-0f0f.tmp";
    settings::RingChoiceIntent intent;
    intent.temporary = waiting;
    intent.before.audioPath = RegistryValue::string("C:\\Old");  // and no name yet
    intent.folder = "C:\\Program Files\\Zorvik\\Rings";
    intent.name = "b.wav";
    const struct {
        const char* killed;
        bool journal;
        bool copyWaits;
        bool recordNew;
        bool ringFileNew;
        bool byTheNextChoice;
        std::string foreign = {};           // the journal's text instead of the intent's
        const char* chosenSince = nullptr;  // a melody the record names since, by another's hand
        // the first start's finishing fails: the settings refuse its first write
        bool refusedOnce = false;
        // the foreign journal stored as a value of another type, of this tag
        const char* binaryTag = nullptr;
    } cases[] = {
        {"after the copy was made", false, true, false, false, false},
        {"after the journal", true, true, false, false, false},
        {"after the record", true, true, true, false, false},
        {"after the switch", true, false, true, true, false},
        {"after the journal was dropped", false, false, true, true, false},
        // the ring file switched, the record as the choice found it: it is made to name the ring
        // file's melody, which is the one the phone plays
        {"after the switch, the record as it was", true, false, false, true, false},
        {"after the record, not undone at the first start",
         true,
         true,
         true,
         false,
         false,
         {},
         nullptr,
         true},
        {"after the switch, its journal not dropped at the first start",
         true,
         false,
         true,
         true,
         false,
         {},
         nullptr,
         true},
        {"after the record, settled by the next choice", true, true, true, false, true},
        {"a damaged journal", true, false, false, false, false, "garbage"},
        {"a journal of another type", true, false, false, false, false, "\x01\x02", nullptr, false,
         "hex"},
        // no store could keep it aside: it goes, rather than stand in every later choice's way
        {"a journal of a type no store writes", true, false, false, false, false, "\x01", nullptr,
         false, "hex(zz)"},
        {"naming the ring file", true, false, false, false, false,
         settings::encodeIntent({"C:\\Program Files\\Zorvik\\Phone.wav", {}, "C:\\X", "b.wav"})},
        {"naming a melody", true, false, false, false, false,
         settings::encodeIntent({"C:\\Program Files\\Zorvik\\Rings\\b.wav", {}, "C:\\X", "b.wav"})},
        {"a name this program never gives", true, false, false, false, false,
         settings::encodeIntent(
             {"C:\\Program Files\\Zorvik\\.zorvik-copy-a.b.tmp", {}, "C:\\X", "b.wav"})},
        {"a relative name, then a choice", true, false, false, false, true,
         settings::encodeIntent({".zorvik-copy-1.tmp", {}, "C:\\X", "b.wav"})},
        // the copy waits, and the record it would write is none the program writes
        {"naming a system folder", true, true, false, false, false,
         settings::encodeIntent({waiting, intent.before, "C:\\Windows\\System32", "b.wav"})},
        {"naming a program", true, true, false, false, false,
         settings::encodeIntent({waiting, intent.before, intent.folder, "evil.exe"})},
        {"naming an empty record", true, true, false, false, false,
         settings::encodeIntent({waiting, intent.before, "", ""})},
        // restored from a backup: yesterday's choice is not undone over today's
        {"a journal older than the record", true, false, false, true, false, {}, "Звън.wav"},
        {"the copy waits, the record another's since",
         true,
         true,
         false,
         false,
         false,
         {},
         "Звън.wav"},
        {"a name longer than a path, then a choice", true, false, false, false, true,
         settings::encodeIntent(
             {"C:\\Program Files\\Zorvik\\.zorvik-copy-" + std::string(40000, 'a') + ".tmp",
              {},
              "C:\\X",
              "b.wav"})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.killed);
        files.remove(install / "Phone.wav");
        writeFile(install / "Phone.wav", c.ringFileNew ? "bee" : "previous ring");
        if (c.copyWaits) {
            writeFile(WinPath{waiting}, "bee");
        }
        writeFile(rings / ".zorvik-copy-1.tmp", "a move's copy, abandoned");
        writeFile(deleted / ".zorvik-copy-2.tmp", "an abandoned copy");
        const std::string named = c.chosenSince != nullptr ? c.chosenSince : "b.wav";
        writeStore(c.recordNew || c.chosenSince != nullptr
                       ? "\"AudioPath\"=\"C:\\\\Program Files\\\\Zorvik\\\\Rings\"\n"
                         "\"RingSound\"=\"" +
                             named + "\"\n"
                       : "\"AudioPath\"=\"C:\\\\Old\"\n");
        registry.erase("Software\\Zorvik Melodies", "RingChoiceUnderWay");
        registry.erase("Software\\Zorvik Melodies", "RingChoiceUnderWay.corrupt");
        const std::string text = c.foreign.empty() ? settings::encodeIntent(intent) : c.foreign;
        const RegistryValue journal =
            c.binaryTag != nullptr ? RegistryValue{RegistryValue::Type::Other, c.binaryTag, 0, text}
                                   : RegistryValue::string(text);
        if (c.journal) {
            registry.set("Software\\Zorvik Melodies", "RingChoiceUnderWay", journal);
        }
        if (c.byTheNextChoice) {
            ringLock.heldElsewhere = true;  // a start that cannot settle leaves it
            open();
            ringLock.heldElsewhere = false;
            EXPECT_TRUE(registry.get("Software\\Zorvik Melodies", "RingChoiceUnderWay"))
                << "nothing is settled while another copy may be choosing";
            chooseRing("Звън.wav");
            EXPECT_EQ(readFile(install / "Phone.wav"), "zvan");
            EXPECT_EQ(stored("RingSound"), "Звън.wav");
        } else {
            if (c.refusedOnce) {
                // nothing of it is lost, nor swept: the next start finishes it
                registry.failWrites(1);
                open();
                EXPECT_TRUE(registry.get("Software\\Zorvik Melodies", "RingChoiceUnderWay"));
                EXPECT_EQ(files.isFile(waiting), c.copyWaits);
            }
            // with nothing to settle the start needs no lock, which another copy may hold
            ringLock.heldElsewhere = !c.journal;
            open();
            ringLock.heldElsewhere = false;
            const bool settledNew = (!c.copyWaits && c.ringFileNew) || c.chosenSince != nullptr;
            EXPECT_EQ(readFile(install / "Phone.wav"), c.ringFileNew ? "bee" : "previous ring");
            EXPECT_EQ(stored("RingSound"), settledNew ? named : "<missing>");
            EXPECT_EQ(stored("AudioPath"),
                      settledNew ? "C:\\Program Files\\Zorvik\\Rings" : "C:\\Old");
            EXPECT_EQ(form->Text1(), settledNew ? named : "ddr") << "the boxes show it settled";
        }
        EXPECT_EQ(listing(install), "Phone.wav Rings") << "nothing stays beside the ring file";
        EXPECT_EQ(listing(rings) + "|" + listing(deleted), "Deleted b.wav Звън.wav|old.wav")
            << "nor in the melody folders";
        EXPECT_FALSE(registry.get("Software\\Zorvik Melodies", "RingChoiceUnderWay"));
        if (c.foreign.empty()) {
            EXPECT_FALSE(registry.hasKey("Software\\Zorvik Melodies")) << "the key goes with it";
        } else {
            const bool keepable = c.binaryTag == nullptr || typeOfTag(c.binaryTag);
            EXPECT_EQ(registry.get("Software\\Zorvik Melodies", "RingChoiceUnderWay.corrupt"),
                      keepable ? std::optional(journal) : std::nullopt)
                << "set aside whole";
        }
        EXPECT_TRUE(box.errors.empty()) << box.errors[0].message;
    }
}

}  // namespace
}  // namespace zorvik
