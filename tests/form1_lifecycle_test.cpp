#include <gtest/gtest.h>

#include "main_window/form1_layout.h"
#include "tests/support/form_fixture.h"
#include "tests/support/sound_files.h"

namespace zorvik {
namespace {

using testing::FormFixture;
using testing::WinPath;

class Form1Lifecycle : public FormFixture, public ::testing::Test {};

TEST_F(Form1Lifecycle, FirstStartWithoutTheKeyOpensInDesignStateAndClosingCreatesIt) {
    addMelody(rings, "b.wav");
    addMelody(rings, "A.wav");
    Form1& window = open();
    EXPECT_EQ(window.File1().Path(), "C:\\Program Files\\Zorvik\\Rings");
    EXPECT_EQ(window.File1().entries(), (std::vector<std::string>{"A.wav", "b.wav"}));
    EXPECT_EQ(files.listings(), 1) << "the opening and its first repaint read the folder once";
    EXPECT_FALSE(window.File1().selectedIndex());
    EXPECT_EQ(window.Check1().Value(), 0);
    EXPECT_EQ(window.Check2().Value(), 0);
    EXPECT_EQ(window.Text1(), "ddr");
    EXPECT_EQ(window.Text2(), "ddr");
    EXPECT_EQ(window.s(), "");
    EXPECT_EQ(window.Command3Caption(), "Изтриване на маркираната мелодия");
    EXPECT_TRUE(player.played.empty());
    EXPECT_FALSE(registry.hasKey("Zorvik\\Setings")) << "opening must write nothing";

    window.clickCheck2();
    close();
    EXPECT_EQ(storeText(),
              "\"Audio\"=dword:00000000\n"
              "\"inDeleted\"=dword:00000001\n");
    EXPECT_TRUE(window.unloaded());
    close();  // a second close (the session ending after the user's) stores nothing more
    EXPECT_EQ(registry.writes(), 1) << "both options go in one write";
    EXPECT_TRUE(box.errors.empty());
    EXPECT_EQ(player.stops, 1) << "closing stops the preview";
}

TEST_F(Form1Lifecycle, OpensWithTheStoredOptionsAndRingMelody) {
    struct Case {
        const char* values;
        std::int16_t check1;
        std::int16_t check2;
        const char* text;
        const char* storedOnClosing;
    };
    const Case cases[] = {
        {"\"Audio\"=dword:00000002\n\"inDeleted\"=\"1\"\n\"RingSound\"=\"Звън.wav\"\n", 2, 1,
         "Звън.wav",
         "\"Audio\"=dword:00000002\n\"inDeleted\"=dword:00000001\n\"RingSound\"=\"Звън.wav\"\n"},
        {"\"Audio\"=dword:00000005\n", 0, 0, "ddr",
         "\"Audio\"=dword:00000000\n\"inDeleted\"=dword:00000000\n"},
        {"\"Audio\"=dword:00011170\n", 0, 0, "ddr",  // 70000
         "\"Audio\"=dword:00000000\n\"inDeleted\"=dword:00000000\n"},
        {"\"Audio\"=dword:00000001\n\"RingSound\"=dword:0000002a\n", 1, 0, "42",
         "\"Audio\"=dword:00000001\n\"RingSound\"=dword:0000002a\n\"inDeleted\"=dword:00000000\n"},
        {"\"Audio\"=\"one\"\n\"inDeleted\"=hex:01\n", 0, 0, "ddr",
         "\"Audio\"=dword:00000000\n\"inDeleted\"=dword:00000000\n"},
        {"\"Audio\"=\"+-1\"\n\"inDeleted\"=\" 2 \"\n", 0, 2, "ddr",
         "\"Audio\"=dword:00000000\n\"inDeleted\"=dword:00000002\n"},
    };
    for (const auto& c : cases) {
        writeStore(c.values);
        Form1& window = open();
        EXPECT_EQ(window.Check1().Value(), c.check1) << c.values;
        EXPECT_EQ(window.Check2().Value(), c.check2) << c.values;
        EXPECT_EQ(window.Text1(), c.text) << c.values;
        EXPECT_EQ(window.Text2(), c.text) << c.values;
        close();
        EXPECT_EQ(storeText(), c.storedOnClosing) << c.values;
    }
}

TEST_F(Form1Lifecycle, AWindowRunFromAFolderWithoutRingsStillLoadsItsSettings) {
    writeStore("\"Audio\"=dword:00000001\n\"RingSound\"=\"x.wav\"\n");
    files.makeFolder(driveC / "Tools");
    Form1& window = open("C:\\Tools");
    EXPECT_EQ(window.File1().Path(), "");
    EXPECT_TRUE(window.File1().entries().empty());
    EXPECT_EQ(window.Check1().Value(), 1);
    EXPECT_EQ(window.Text2(), "x.wav");
    window.Form_Paint();  // a list with no folder repaints to nothing, silently
    EXPECT_TRUE(box.errors.empty());
}

TEST_F(Form1Lifecycle, WithoutAShellObjectItOpensInDesignStateAndClosingSaysSoAndStoresNothing) {
    writeStore("\"Audio\"=dword:00000001\n\"RingSound\"=\"x.wav\"\n");
    const std::string before = storeText();
    useFailingShellFactory();
    Form1& window = open();
    EXPECT_EQ(window.Check1().Value(), 0);
    EXPECT_EQ(window.Text1(), "ddr");
    EXPECT_TRUE(box.errors.empty()) << "opening is silent";
    close();
    ASSERT_EQ(box.errors.size(), 1u);
    EXPECT_NE(box.errors[0].message.find("WScript.Shell"), std::string::npos);
    EXPECT_EQ(box.errors[0].title, layout::kFormCaption);
    EXPECT_EQ(storeText(), before);
}

TEST_F(Form1Lifecycle, ARepaintRereadsTheFolderAndKeepsTheMelodyLastClickedMarked) {
    addMelody(rings, "a.wav");
    Form1& window = open();
    clickEntry("a.wav");
    addMelody(rings, "b.wav");
    window.Form_Paint();
    EXPECT_EQ(window.File1().entries(), (std::vector<std::string>{"a.wav", "b.wav"}));
    EXPECT_EQ(window.File1().FileName(), "a.wav");

    files.remove(rings);
    window.Form_Paint();
    EXPECT_TRUE(window.File1().entries().empty()) << "a vanished folder shows as empty";
    EXPECT_EQ(window.s(), "C:\\Program Files\\Zorvik\\Rings\\a.wav");
    EXPECT_EQ(window.File1().Path(), "C:\\Program Files\\Zorvik\\Rings");
    EXPECT_TRUE(box.errors.empty()) << "a repaint never shows a message";
}

// The ways a window is asked to end.
struct CloseWay {
    void (Form1::*close)();
    int closes;                 // heard by the window, which is gone already when destroyed
    bool storedAtOnce;          // before the handler ends: the program may end, the window is gone
    bool boxesAnswered = true;  // not where the display is gone, which the boxes stood on
};
constexpr CloseWay kRequested{&Form1::requestClose, 1, false};
constexpr CloseWay kSessionEnds{&Form1::endSession, 1, true};
constexpr CloseWay kDestroyed{&Form1::windowDestroyed, 0, true};
constexpr CloseWay kDisplayLost{&Form1::displayLost, 0, true, false};

// A request to close that comes while a handler waits in a box, a menu, the dialog or a copy
// (another program's, a signal's, the session's), or the window destroyed under it: what is open
// is answered as Cancel (a copy is cancelled, which leaves everything as it was and says
// nothing), the handler ends, and only then does the window close, running Form_Unload once.
// Nothing a box asked about happens, and no later event runs a handler.
TEST_F(Form1Lifecycle, ACloseDuringAHandlerAnswersCancelAndClosesWhenTheHandlerEnds) {
    const WinPath elsewhere{"D:\\Elsewhere"};
    writeFile(elsewhere / "new.wav", testing::waveFile("new"));
    struct Case {
        const char* what;
        testing::FakeModal& open;
        std::function<void()> act;
        CloseWay how = kRequested;
        int dialogShows = 0;
        std::size_t errors = 0;  // boxes that said a failure
        // a click already on its way runs its handler inside the waiting one's, and ends first
        bool clickMeanwhile = false;
    };
    const Case cases[] = {
        {"the ring question", box, [&] { chooseRing("x.wav"); }},
        {"the move question", box,
         [&] {
             form->clickCheck2();
             removeEntry("x.wav");
         }},
        {"the popup", popup,
         [&] {
             popup.nextChoice = "nm";
             dialog.choose((elsewhere / "new.wav").text);
             form->Command1_Click(Form1::PressedWith::Mouse);
         }},
        {"the open-file dialog", dialog, [&] { addThroughDialog((elsewhere / "new.wav").text); },
         kRequested, 1},
        {"the copy of the ring choice", progress, [&] { chooseRing("x.wav"); }},
        {"the copy of the ring choice, the window destroyed", progress,
         [&] { chooseRing("x.wav"); }, kDestroyed},
        {"the copy of a new melody, the session ending", progress,
         [&] { addThroughDialog((elsewhere / "new.wav").text); }, kSessionEnds, 1},
        {"a failure box", box,
         [&] {
             form->clickCheck1();
             player.failure = Failure{ErrorCode::Unsupported, "cannot play"};
             clickEntry("x.wav");
         },
         kRequested, 0, 1},
        {"the ring question, the session ending", box, [&] { chooseRing("x.wav"); }, kSessionEnds},
        {"the ring question, a click meanwhile", box, [&] { chooseRing("x.wav"); }, kRequested, 0,
         0, true},
        {"the ring question, the display lost", box, [&] { chooseRing("x.wav"); }, kDisplayLost},
        {"the copy of the ring choice, the display lost", progress, [&] { chooseRing("x.wav"); },
         kDisplayLost},
        {"the move question, the window destroyed", box,
         [&] {
             form->clickCheck2();
             removeEntry("x.wav");
         },
         kDestroyed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        emptyFolders();
        addMelody(rings, "x.wav", "x");
        writeFile(install / "Phone.wav", "ring");
        writeStore("");
        player.failure.reset();
        box.errors.clear();
        open();
        int closes = 0;
        int listingsAtClose = 0;
        form->setCloseListener([&] {
            ++closes;
            listingsAtClose = files.listings();
        });
        const int writesBefore = registry.writes();
        std::string storedWhileOpen;
        bool requested = false;
        c.open.whileOpen = [&] {
            if (std::exchange(requested, true)) {
                return;
            }
            (form.get()->*c.how.close)();
            if (c.clickMeanwhile) {
                form->File1_Click();
            }
            form->Form_Paint();  // the window uncovered meanwhile
            storedWhileOpen = storeText();
            EXPECT_EQ(closes, 0) << "the window closed while its handler ran";
        };
        const std::size_t questions = box.questions.size();
        const int boxDismissals = box.dismissals;
        c.act();
        c.open.whileOpen = nullptr;
        EXPECT_EQ(closes, c.how.closes) << "nothing is left to take away";
        if (closes > 0) {
            EXPECT_EQ(files.listings(), listingsAtClose) << "nothing is drawn once the window went";
        }
        EXPECT_TRUE(form->closed());
        // what comes after the close (a signal, the window destroyed, the display lost) finds
        // nothing left to do
        form->requestCloseUnattended();
        form->windowDestroyed();
        form->displayLost();
        EXPECT_EQ(closes, c.how.closes);
        EXPECT_EQ(registry.writes() - writesBefore, 1)
            << "Form_Unload ran once, both options in one write";
        EXPECT_NE(storeText().find("\"Audio\"="), std::string::npos);
        EXPECT_EQ(storedWhileOpen.find("\"Audio\"=") != std::string::npos, c.how.storedAtOnce)
            << "stored once the handler ends, unless the program or the window cannot wait";
        EXPECT_EQ(readFile(install / "Phone.wav"), "ring");
        EXPECT_EQ(listing(rings), "Deleted x.wav");
        EXPECT_EQ(dialog.shows, c.dialogShows);
        EXPECT_EQ(box.errors.size(), c.errors) << "a cancelled copy is no failure";
        EXPECT_LE(box.questions.size(), questions + 1);
        EXPECT_EQ(box.dismissals > boxDismissals, c.how.boxesAnswered);

        form->Command2_Click();
        form->Command3_Click();
        EXPECT_LE(box.questions.size(), questions + 1) << "no handler runs after the close";
        const int listings = files.listings();
        form->Form_Paint();
        EXPECT_EQ(files.listings(), listings) << "nor a repaint";
        dialog.shows = 0;
    }
}

// A box that the closing itself opens (a failed write of the options, or the question whether
// to try again while another writer holds the settings): the user sees it and a repeated
// request answers it; with no one at the window (a signal) it is answered unseen.
TEST_F(Form1Lifecycle, ABoxThatTheClosingItselfOpensIsAnsweredByARepeatedRequestOrUnseen) {
    const struct {
        const char* what;
        bool unattended;
        ErrorCode refused;
    } rows[] = {
        {"the user's close, repeated", false, ErrorCode::AccessDenied},
        {"a signal's close", true, ErrorCode::AccessDenied},
        {"a signal's close, the settings held elsewhere", true, ErrorCode::Busy},
    };
    for (const auto& [what, unattended, refused] : rows) {
        SCOPED_TRACE(what);
        Form1& window = open();
        int closes = 0;
        window.setCloseListener([&] { ++closes; });
        registry.failWrites(2, refused);
        box.errors.clear();
        box.retries.clear();
        box.whileOpen = [&] { window.requestClose(); };
        if (unattended) {
            box.whileOpen = nullptr;
            window.requestCloseUnattended();
        } else {
            window.requestClose();
        }
        EXPECT_EQ(closes, 1);
        if (unattended) {
            EXPECT_TRUE(box.errors.empty() && box.retries.empty())
                << "no box waits for an absent user";
            continue;
        }
        ASSERT_EQ(box.errors.size(), 1u) << "a failed write at closing is shown once";
        EXPECT_NE(box.errors[0].message.find("HKEY_CURRENT_USER\\Zorvik\\Setings\\Audio"),
                  std::string::npos)
            << box.errors[0].message;
        EXPECT_GE(box.dismissals, 1);
    }
}

TEST_F(Form1Lifecycle, RepaintsDuringAHandlerWaitAndRunOnceAfterIt) {
    addMelody(rings, "a.wav");
    Form1& window = open();
    int changes = 0;
    int repaintsWhileOpen = 0;
    window.setChangeListener([&] { ++changes; });
    // the error box of a handler is open while the window is exposed three times
    player.failure = Failure{ErrorCode::Unsupported, "cannot play"};
    writeStore("\"Audio\"=dword:00000001\n");
    box.whileOpen = [&] {
        repaintsWhileOpen = window.repaintsRun();
        window.Form_Paint();
        window.Form_Paint();
        window.Form_Paint();
        EXPECT_EQ(window.repaintsRun(), repaintsWhileOpen) << "a repaint ran inside a handler";
    };
    window.clickCheck1();
    clickEntry("a.wav");
    ASSERT_EQ(box.errors.size(), 1u);
    EXPECT_EQ(window.repaintsRun(), repaintsWhileOpen + 1) << "the waiting repaints ran once";
    EXPECT_GT(changes, 0);
}

}  // namespace
}  // namespace zorvik
