#include "tests/support/window_behaviours.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/designed_captions.h"
#include "tests/support/melody_names.h"
#include "texts/texts.h"

namespace zorvik::testing {
namespace {

const std::string kRings = "C:\\Program Files\\Zorvik\\Rings\\";

int rowOf(WindowDriver& window, const std::string& name) {
    const auto listed = window.listed();
    return static_cast<int>(std::find(listed.begin(), listed.end(), name) - listed.begin());
}

void tabWalksTheDesignOrderBothWays(WindowDriver& window) {
    window.startWindow();
    window.focus("File1");
    std::vector<std::string> forwards;
    std::vector<std::string> backwards;
    for (int i = 0; i < 8; ++i) {
        window.press(Key::Tab);
        forwards.push_back(window.focused());
    }
    for (int i = 0; i < 8; ++i) {
        window.press(Key::BackTab);
        backwards.push_back(window.focused());
    }
    EXPECT_EQ(forwards, (std::vector<std::string>{"Check1", "Command1", "Command2", "Text1",
                                                  "Text2", "Command3", "Check2", "File1"}));
    EXPECT_EQ(backwards, (std::vector<std::string>{"Check2", "Command3", "Text2", "Text1",
                                                   "Command2", "Command1", "Check1", "File1"}));
}

void aClickPicksTheMelodyAndAClickOnItAgainPlaysItAgain(WindowDriver& window) {
    window.addMelody("a.wav");
    window.addMelody("b.wav");
    window.storeOptions("\"Audio\"=dword:00000001\n");
    Form1& form = window.startWindow();
    window.clickRow(1);
    EXPECT_EQ(form.s(), kRings + "b.wav");
    EXPECT_EQ(window.selectedRow(), 1);
    EXPECT_EQ(window.playsStarted(), 1);
    window.clickRow(1);
    EXPECT_EQ(window.playsStarted(), 2);
    window.clickBelowTheNames();
    EXPECT_EQ(window.selectedRow(), 1) << "a click beside the names keeps the selection";
    EXPECT_EQ(form.File1().selectedIndex(), std::optional<std::size_t>(1));
    EXPECT_EQ(window.playsStarted(), 2);
}

void enterAndSpacePressTheFocusedButtonOnceAndNothingElse(WindowDriver& window) {
    Form1& form = window.startWindow();
    window.focus("Check1");
    window.press(Key::Enter);
    EXPECT_EQ(window.boxesShown().size(), 0u) << "Enter on a box presses no button";
    EXPECT_EQ(form.Check1().Value(), CheckBox::kClear);
    // with nothing marked, each button says so in words of its own
    const std::string fromCommand2 =
        "Няма маркирана мелодия: маркирайте мелодия в списъка и запишете отново.";
    const std::string fromCommand3 =
        "Няма маркирана мелодия в тази папка: щракнете мелодия в списъка и опитайте отново.";
    window.focus("Command2");
    window.press(Key::Enter);
    window.press(Key::KeypadEnter);
    window.focus("Command3");
    window.press(Key::Space);
    window.press(Key::Enter, 3);  // held down: one click
    window.press(Key::KeypadEnter);
    EXPECT_EQ(window.boxesShown(),
              (std::vector<std::string>{fromCommand2, fromCommand2, fromCommand3, fromCommand3,
                                        fromCommand3}));
    window.focus("Check1");
    window.press(Key::Space);
    EXPECT_EQ(form.Check1().Value(), CheckBox::kTicked);
    EXPECT_EQ(window.checkShown("Check1"), CheckBox::kTicked);
}

void aBurstOfActivationIsOneRepaintThatShowsTheFolderAnewKeepingTheMark(WindowDriver& window) {
    window.addMelody("b.wav");
    window.addMelody("c.wav");
    window.addMelody("d.wav");
    Form1& form = window.startWindow();
    window.clickRow(0);
    window.addMelody("a.wav");  // by another program, while the window was covered
    EXPECT_EQ(window.reactivate(3), 1);
    EXPECT_EQ(form.repaintsRun(), 2) << "the showing with all its exposures was the first";
    EXPECT_EQ(window.listed(), (std::vector<std::string>{"a.wav", "b.wav", "c.wav", "d.wav"}))
        << "the names drawn are the folder's";
    EXPECT_EQ(window.selectedRow(), 1) << "the melody the buttons act on stays in sight";
    EXPECT_EQ(form.s(), kRings + "b.wav");

    // a question answered Cancel, and the repaint where it stood
    window.focus("Command3");
    window.press(Key::Enter);
    EXPECT_EQ(
        window.boxesShown(),
        std::vector<std::string>{"Желаете ли окончателно изтриване на мелодията?\r\n„b.wav“"});
    window.reactivate(1);
    EXPECT_EQ(window.selectedRow(), 1);
    window.focus("File1");
    window.press(Key::Down);
    EXPECT_EQ(form.s(), kRings + "c.wav") << "Down goes on from where it was";
}

// Even a name wider than the screen, with no space in it: its tip breaks it into lines and
// stays on the screen.
void aNameCutShortShowsWholeInATipOnTheScreen(WindowDriver& window) {
    const std::string longName =
        "Много дълго име на мелодия за звънене на телефона Zorvik BG, което не се побира.wav";
    std::string longest = "Melodiya";  // 220 characters, as many as a Linux name holds
    while (longest.size() < 200) {
        longest += "_za_zvanene";
    }
    longest += "_na_Zorvik.wav";
    window.addMelody("a.wav");
    window.addMelody(longName);
    window.addMelody(longest);
    window.startWindow();
    EXPECT_EQ(window.tipOver(rowOf(window, "a.wav")), "") << "a name shown whole needs no tip";
    EXPECT_EQ(window.tipOver(rowOf(window, longName)), longName);
    EXPECT_EQ(window.tipOver(rowOf(window, longest)), longest) << "or it runs off the screen";
}

// From the keyboard the menu opens below its button, wherever the pointer rests; from the mouse
// at the pointer; never in a menu bar. A dismissed menu runs no item; a chosen one runs after
// it.
void theHiddenMenuOpensWhereTheUserLooksAndItsItemRunsAfterIt(WindowDriver& window) {
    window.addMelody("a.wav");
    window.addMelody("old.wav", true);
    Form1& form = window.startWindow();
    EXPECT_EQ(window.menuCaptions(),
              (std::vector<std::string>{"Нова мелодия", "От папка \"Deleted\""}));
    EXPECT_FALSE(window.hasMenuBar());
    const Place pointer{10, 10};
    const Place below{0, window.placeOf("Command1").height};
    const struct {
        const char* what;
        std::optional<Key> key;
        Place at;
    } cases[] = {{"Space", Key::Space, below},
                 {"Enter", Key::Enter, below},
                 {"a click", std::nullopt, pointer}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(window.menuShownAfter(c.key, false), c.at);
        EXPECT_EQ(form.view(), MelodyView::Rings) << "a dismissed menu runs no item";
    }
    window.menuShownAfter(Key::Enter, true);
    EXPECT_EQ(form.view(), MelodyView::Deleted);
    EXPECT_EQ(window.textOf("Command3"), "Добавяне на маркираната мелодия");
    EXPECT_EQ(window.listed(), std::vector<std::string>{"old.wav"});
}

// The box shows what the core holds after each click, never a state of its own cycle.
void aBoxShowsItsStoredStateAndEachClickTheCoresNext(WindowDriver& window) {
    window.storeOptions("\"Audio\"=dword:00000002\n\"inDeleted\"=dword:00000001\n");
    Form1& form = window.startWindow();
    EXPECT_EQ(window.checkShown("Check1"), CheckBox::kGreyed);
    EXPECT_EQ(window.checkShown("Check2"), CheckBox::kTicked);
    for (const std::int16_t state : {CheckBox::kTicked, CheckBox::kClear, CheckBox::kTicked}) {
        window.clickControl("Check1");
        EXPECT_EQ(form.Check1().Value(), state);
        EXPECT_EQ(window.checkShown("Check1"), state);
    }
    window.clickControl("Check2");
    EXPECT_EQ(form.Check2().Value(), CheckBox::kClear);
    EXPECT_EQ(window.checkShown("Check2"), CheckBox::kClear);
}

void theListShowsTheRingsFoldersMelodiesWithNothingSelected(WindowDriver& window) {
    for (const char* name : {"Звън.wav", "Classic.wav", "Камбанки.wav", "notes.txt"}) {
        window.addMelody(name);
    }
    window.addMelody("Старата.wav", true);
    window.storeOptions("\"RingSound\"=\"Звън.wav\"\n");
    window.startWindow();
    EXPECT_EQ(window.listed(),
              (std::vector<std::string>{"Classic.wav", "Звън.wav", "Камбанки.wav"}));
    EXPECT_EQ(window.selectedRow(), -1);
    EXPECT_EQ(window.textOf("Text1"), "Звън.wav");
    EXPECT_EQ(window.textOf("Text2"), "Звън.wav");
}

void closingTheWindowStoresBothOptions(WindowDriver& window) {
    Form1& form = window.startWindow();
    window.clickControl("Check1");
    window.closeWindow();
    EXPECT_TRUE(form.unloaded());
    const std::string stored = window.storedOptions();
    EXPECT_NE(stored.find("\"Audio\"=dword:00000001"), std::string::npos) << stored;
    EXPECT_NE(stored.find("\"inDeleted\"=dword:00000000"), std::string::npos) << stored;
}

// Each name shown as it is in the list and, reached with Down (from the first, with nothing
// selected; a step counts as a click) and chosen as the ring melody, in both text boxes.
void theRingMelodyOfEveryScriptShowsAsItIsInBothTextBoxes(WindowDriver& window) {
    const auto names = melodyNamesOfEveryScript();
    for (const auto& name : names) {
        window.addPlayableMelody(name);
    }
    window.startWindow();
    window.answerBoxes(kAnswerOk);
    const auto shown = window.listed();
    EXPECT_TRUE(std::is_permutation(shown.begin(), shown.end(), names.begin(), names.end()));
    for (const auto& name : shown) {
        SCOPED_TRACE(name);
        window.focus("File1");
        window.press(Key::Down);
        window.clickControl("Command2");
        EXPECT_EQ(window.textOf("Text1"), name);
        EXPECT_EQ(window.textOf("Text2"), name);
    }
    EXPECT_EQ(window.boxesShown().at(0),
              std::string(texts::kRingQuestion) + "\r\n„" + shown.front() + "“");
}

void everyControlSitsAtItsDesignedPlaceWithItsCaption(WindowDriver& window) {
    window.startWindow();
    expectTheDesignedPlaces(window);
    for (const auto& [name, caption] : kDesignedCaptions) {
        EXPECT_EQ(window.textOf(name), caption) << name;
    }
}

// A wheel step scrolls the focus frame's edges with the names: none may stay drawn across them.
void aWheelScrollLeavesTheListAsItWouldBeDrawnAnew(WindowDriver& window) {
    for (int i = 0; i < 40; ++i) {
        window.addMelody("Мелодия " + std::to_string(i) + ".wav");
    }
    window.startWindow();
    window.focus("File1");
    ASSERT_EQ(window.selectedRow(), -1) << "the frame goes round the whole list";
    const auto focused = window.listPixels(true);
    window.wheelDownOverTheList();
    const auto scrolled = window.listPixels(false);
    EXPECT_TRUE(scrolled == window.listPixels(true))
        << "the scroll left lines of the focus frame behind";
    window.focus("Check1");
    EXPECT_NE(window.listPixels(true), focused) << "the focused list looks no different";
}

// The text boxes' faces and colours as designed, on the face of buttons; every other control in
// the design's face.
void theTextBoxesHaveTheirFacesAndColoursAndTheRestTheControlsFace(WindowDriver& window) {
    window.startWindow();
    const int textBoxHeight = pixelsOfPoints(9.75, window.dpi());
    const struct {
        const char* name;
        Face face;
        std::uint32_t text;
    } boxes[] = {{"Text2", {textBoxHeight, true, false}, 0xC0FFFF},
                 {"Text1", {textBoxHeight, true, true}, 0x808080}};
    for (const auto& box : boxes) {
        const Look look = window.lookOf(box.name);
        EXPECT_EQ(look.face, box.face) << box.name;
        EXPECT_EQ(look.text, box.text) << box.name;
        EXPECT_EQ(look.background, window.buttonFace()) << box.name;
    }
    for (const char* name : {"Check1", "Check2", "Command1", "Command2", "Command3", "Frame1",
                             "Frame2", "Frame3", "Frame4", "File1"}) {
        EXPECT_EQ(window.lookOf(name).face,
                  (Face{pixelsOfPoints(8.25, window.dpi()), false, false}))
            << name;
    }
}

void theWindowHasItsCaptionFixedDesignedSizeAndIcon(WindowDriver& window) {
    window.startWindow();
    EXPECT_EQ(window.caption(), "Избор на мелодия за Zorvik BG");
    EXPECT_FALSE(window.resizable()) << "the fixed layout does not stretch";
    const Place client = window.clientArea();
    EXPECT_EQ(client.width, pixelsOf(4725, window.dpi()));
    EXPECT_EQ(client.height, pixelsOf(5190, window.dpi()));
    EXPECT_EQ(window.iconSide(), std::lround(32 * window.dpi() / 96.0)) << "the large icon";
}

}  // namespace

void expectTheDesignedPlaces(WindowDriver& window) {
    const auto pixels = [dpi = window.dpi()](int twips) { return pixelsOf(twips, dpi); };
    for (const auto& place : kDesignedPlaces) {
        SCOPED_TRACE(place.name);
        EXPECT_EQ(window.containerOf(place.name), place.container);
        EXPECT_EQ(window.placeOf(place.name),
                  (Place{pixels(place.twips[0]), pixels(place.twips[1]), pixels(place.twips[2]),
                         pixels(place.twips[3])}));
        EXPECT_EQ(window.visible(place.name), place.visible);
    }
}

const std::vector<WindowBehaviour>& windowBehaviours() {
    static const std::vector<WindowBehaviour> rows = [] {
        std::vector<WindowBehaviour> all{
            {"TabWalksTheDesignOrderBothWays", tabWalksTheDesignOrderBothWays},
            {"AClickPicksTheMelodyAndAClickOnItAgainPlaysItAgain",
             aClickPicksTheMelodyAndAClickOnItAgainPlaysItAgain},
            {"EnterAndSpacePressTheFocusedButtonOnceAndNothingElse",
             enterAndSpacePressTheFocusedButtonOnceAndNothingElse},
            {"ABurstOfActivationIsOneRepaintThatShowsTheFolderAnewKeepingTheMark",
             aBurstOfActivationIsOneRepaintThatShowsTheFolderAnewKeepingTheMark},
            {"ANameCutShortShowsWholeInATipOnTheScreen", aNameCutShortShowsWholeInATipOnTheScreen},
            {"TheHiddenMenuOpensWhereTheUserLooksAndItsItemRunsAfterIt",
             theHiddenMenuOpensWhereTheUserLooksAndItsItemRunsAfterIt},
            {"ABoxShowsItsStoredStateAndEachClickTheCoresNext",
             aBoxShowsItsStoredStateAndEachClickTheCoresNext},
            {"TheListShowsTheRingsFoldersMelodiesWithNothingSelected",
             theListShowsTheRingsFoldersMelodiesWithNothingSelected},
            {"ClosingTheWindowStoresBothOptions", closingTheWindowStoresBothOptions},
            {"TheRingMelodyOfEveryScriptShowsAsItIsInBothTextBoxes",
             theRingMelodyOfEveryScriptShowsAsItIsInBothTextBoxes},
            {"EveryControlSitsAtItsDesignedPlaceWithItsCaption",
             everyControlSitsAtItsDesignedPlaceWithItsCaption},
            {"AWheelScrollLeavesTheListAsItWouldBeDrawnAnew",
             aWheelScrollLeavesTheListAsItWouldBeDrawnAnew},
            {"TheTextBoxesHaveTheirFacesAndColoursAndTheRestTheControlsFace",
             theTextBoxesHaveTheirFacesAndColoursAndTheRestTheControlsFace},
            {"TheWindowHasItsCaptionFixedDesignedSizeAndIcon",
             theWindowHasItsCaptionFixedDesignedSizeAndIcon},
        };
        for (const auto& row : modalBehaviours()) {
            all.push_back(row);
        }
        return all;
    }();
    return rows;
}

}  // namespace zorvik::testing
