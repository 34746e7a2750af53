// The window under its modal dialogs, alike on every toolkit: the long copy's dialog and each way
// of stopping it, a Cancel however late, and a close while a dialog is open.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "main_window/form1_layout.h"
#include "tests/support/window_behaviours.h"

namespace zorvik::testing {
namespace {

// a.wav the ring melody, the ring file "ring", and b.wav marked to take its place
Form1& startWithAChoiceAhead(WindowDriver& window) {
    window.addPlayableMelody("a.wav");
    window.addPlayableMelody("b.wav");
    window.writeInstalled("Phone.wav", "ring");
    window.storeOptions("\"RingSound\"=\"a.wav\"\n");
    Form1& form = window.startWindow();
    window.clickRow(1);
    return form;
}

void aLongCopyShowsItsDialogOverTheWindowAndEachWayOfStoppingItStopsIt(WindowDriver& window) {
    window.startWindow();
    for (const Stop how : {Stop::CancelButton, Stop::Escape, Stop::CloseBox}) {
        SCOPED_TRACE(static_cast<int>(how));
        ProgressSeen seen;
        window.stopTheNextProgress(how, false, &seen);
        bool stopped = false;
        std::thread::id worker;
        const bool stands =
            window.progress().run("Копиране на „Звън.wav“…", [&](CopyProgress& report) {
                worker = std::this_thread::get_id();
                // ten seconds at most, should nothing stop it
                for (std::uint64_t block = 1; block <= 1000 && !stopped; ++block) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    stopped = !report.copied(block, 1000);
                }
            });
        EXPECT_TRUE(stopped);
        EXPECT_FALSE(stands);
        EXPECT_NE(worker, std::this_thread::get_id()) << "the window's thread stayed free";
        EXPECT_EQ(seen.title, layout::kFormCaption);
        EXPECT_EQ(seen.text, "Копиране на „Звън.wav“…");
        EXPECT_EQ(seen.button, "Отказ");
        EXPECT_TRUE(seen.barMoved) << "the bar shows how far the copy has come";
        EXPECT_FALSE(seen.windowTakesInput) << "the window takes no command under the dialog";
        // the window bears the same caption whole: as wide, the dialog's is not cut
        EXPECT_GE(seen.width, seen.windowWidth);
    }
}

// A Cancel that comes after the content is all written, while it is flushed, still leaves the
// ring file and its record, or the Rings folder, as they were, with no word.
void aCancelAtTheLastMomentChangesNothing(WindowDriver& window) {
    Form1& form = startWithAChoiceAhead(window);
    window.answerBoxes(kAnswerOk);
    const std::string stored = window.storedOptions();
    window.stopTheNextProgress(Stop::CancelButton, true, nullptr);
    window.clickControl("Command2");
    EXPECT_EQ(window.readInstalled("Phone.wav"), "ring");
    EXPECT_EQ(window.storedOptions(), stored);
    EXPECT_EQ(window.textOf("Text1"), "a.wav");
    EXPECT_EQ(window.listInstalled(""), "Phone.wav Rings") << "no temporary file stays";

    window.chooseNextInTheOpenFileDialog("new.wav");
    window.stopTheNextProgress(Stop::CancelButton, true, nullptr);
    form.nm_Click();
    EXPECT_EQ(window.listInstalled("Rings"), "Deleted a.wav b.wav");
    EXPECT_EQ(window.boxesShown().size(), 2u) << "the two questions, and no box after";
}

// A close request while the ring choice copies (as late as its flush) cancels the copy: the ring
// file and its record stay as they were, no box follows, and the window closes with the options
// stored.
void aCloseDuringACopyCancelsItAndClosesWithTheOptionsStored(WindowDriver& window) {
    Form1& form = startWithAChoiceAhead(window);
    window.answerBoxes(kAnswerOk);
    window.clickControl("Check1");
    window.stopTheNextProgress(Stop::WindowClosed, true, nullptr);
    window.clickControl("Command2");
    EXPECT_EQ(window.boxesShown().size(), 1u) << "the question, and no box after";
    EXPECT_TRUE(window.windowGone());
    EXPECT_EQ(window.readInstalled("Phone.wav"), "ring");
    EXPECT_EQ(window.listInstalled(""), "Phone.wav Rings") << "no temporary file stays";
    EXPECT_TRUE(form.unloaded());
    const std::string stored = window.storedOptions();
    EXPECT_NE(stored.find("\"RingSound\"=\"a.wav\""), std::string::npos) << stored;
    EXPECT_NE(stored.find("\"Audio\"=dword:00000001"), std::string::npos) << stored;
}

// Another program closes the window while a question of the ring choice waits for an answer:
// the question is answered Cancel, its handler ends, and only then does the window close,
// storing the options.
void closeWhileAsking(WindowDriver& window, bool forRights) {
    Form1& form = startWithAChoiceAhead(window);
    // the install folder refuses the user: the ring question answered, the one for an
    // administrator's rights is the one open
    if (forRights && !window.installFolderNeedsRights()) {
        GTEST_SKIP() << "this platform asks no one for rights";
    }
    window.clickControl("Check1");
    window.closeWhenAQuestionShows(forRights ? 1 : 0);
    window.focus("Command2");
    window.press(Key::Enter);
    EXPECT_FALSE(window.wentWhileAHandlerRan()) << "or the rest of it acts with no window there";
    EXPECT_TRUE(window.windowGone());
    EXPECT_EQ(window.readInstalled("Phone.wav"), "ring") << "written after the window had gone";
    EXPECT_TRUE(form.unloaded());
    const std::string stored = window.storedOptions();
    EXPECT_NE(stored.find("\"Audio\"=dword:00000001"), std::string::npos) << stored;
}

void aCloseWhileAQuestionIsOpenAnswersItCancelAndClosesOnceItsHandlerHasEnded(
    WindowDriver& window) {
    closeWhileAsking(window, false);
}

void aCloseWhileTheRightsQuestionIsOpenAnswersItCancelToo(WindowDriver& window) {
    closeWhileAsking(window, true);
}

}  // namespace

StepFaults FlushHold::of(const std::shared_ptr<FlushHold>& hold) {
    return [hold](FileStep step) {
        if (step == FileStep::FlushTemporary) {
            hold->flushing = true;
            for (int i = 0; i < 1000 && !hold->released; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        return std::optional<StepFault>();
    };
}

std::vector<WindowBehaviour> modalBehaviours() {
    return {
        {"ALongCopyShowsItsDialogOverTheWindowAndEachWayOfStoppingItStopsIt",
         aLongCopyShowsItsDialogOverTheWindowAndEachWayOfStoppingItStopsIt},
        {"ACancelAtTheLastMomentChangesNothing", aCancelAtTheLastMomentChangesNothing},
        {"ACloseDuringACopyCancelsItAndClosesWithTheOptionsStored",
         aCloseDuringACopyCancelsItAndClosesWithTheOptionsStored},
        {"ACloseWhileAQuestionIsOpenAnswersItCancelAndClosesOnceItsHandlerHasEnded",
         aCloseWhileAQuestionIsOpenAnswersItCancelAndClosesOnceItsHandlerHasEnded},
        {"ACloseWhileTheRightsQuestionIsOpenAnswersItCancelToo",
         aCloseWhileTheRightsQuestionIsOpenAnswersItCancelToo},
    };
}

}  // namespace zorvik::testing
