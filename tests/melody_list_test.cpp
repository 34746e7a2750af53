#include <gtest/gtest.h>

#include "tests/support/form_fixture.h"

namespace zorvik {
namespace {

using testing::FormFixture;

class MelodyListTest : public FormFixture, public ::testing::Test {
protected:
    MelodyListTest() {
        for (const char* name : {"b.wav", "d.wav", "f.wav"}) {
            addMelody(rings, name);
        }
        addMelody(deleted, "old.wav");
    }
    // The name at the keyboard's place, "" when nowhere.
    std::string current() const {
        const auto index = form->File1().currentIndex();
        return index ? form->File1().entries()[*index] : std::string();
    }
};

// After any repaint the melody last clicked is marked again, and the arrow keys go on from
// it, wherever the names around it moved; where it has gone, nothing is marked.
TEST_F(MelodyListTest, ARepaintMarksTheMelodyLastClickedAgain) {
    struct Case {
        const char* what;
        std::function<void()> change;
        const char* markedAfter;
    };
    const Case cases[] = {
        {"nothing changed", [] {}, "d.wav"},
        {"a melody added before it", [&] { addMelody(rings, "a.wav"); }, "d.wav"},
        {"a melody removed before it", [&] { files.remove(rings / "b.wav"); }, "d.wav"},
        {"renamed in other case, the same file to Windows",
         [&] { files.rename(rings / "d.wav", rings / "D.WAV"); }, "D.WAV"},
        {"it is gone", [&] { files.remove(rings / "d.wav"); }, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        open();
        clickEntry("d.wav");
        c.change();
        form->Form_Paint();
        EXPECT_EQ(form->File1().FileName(), c.markedAfter);
        EXPECT_EQ(current(), c.markedAfter);
        files.remove(rings / "d.wav");
        addMelody(rings, "d.wav");
        files.remove(rings / "a.wav");
        addMelody(rings, "b.wav");
    }
}

// The list may be read again between drawing an entry and the user's choice of it.
TEST_F(MelodyListTest, AChosenEntryCountsByTheNameTheUserSaw) {
    struct Case {
        const char* what;
        std::size_t shownRow;
        const char* shownName;
        const char* clicked;  // "" when nothing may be clicked
    };
    const Case cases[] = {
        {"where it was drawn", 1, "d.wav", "d.wav"},
        {"moved since", 0, "d.wav", "d.wav"},
        {"gone since", 1, "gone.wav", ""},
        {"drawn past the end of the list as it is now", 7, "f.wav", "f.wav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        open();
        form->entryChosen(c.shownRow, c.shownName);
        EXPECT_EQ(form->File1().FileName(), c.clicked);
        EXPECT_EQ(form->s(), *c.clicked == '\0'
                                 ? ""
                                 : "C:\\Program Files\\Zorvik\\Rings\\" + std::string(c.clicked));
    }
}

TEST_F(MelodyListTest, TheKeyboardsPlaceFallsBackOnTheMelodyLastClicked) {
    open();
    clickEntry("b.wav");
    form->selectEntry(2);  // f.wav, chosen by the keyboard without a click
    files.remove(rings / "f.wav");
    form->Form_Paint();
    EXPECT_EQ(current(), "b.wav") << "s still names b.wav in this folder";

    // another folder: only the melody last clicked there counts
    form->pd_Click();
    EXPECT_EQ(current(), "");
    clickEntry("old.wav");
    form->Command1_Click(Form1::PressedWith::Mouse);  // the popup dismissed
    form->Form_Paint();
    EXPECT_EQ(current(), "old.wav");
}

TEST_F(MelodyListTest, BeforeAnyClickThereIsNoPlace) {
    open();
    EXPECT_FALSE(form->File1().currentIndex());
    form->Form_Paint();
    EXPECT_FALSE(form->File1().currentIndex());
    form->selectEntry(7);  // past the end: selects nothing
    EXPECT_FALSE(form->File1().selectedIndex());
    EXPECT_FALSE(form->File1().currentIndex());
}

}  // namespace
}  // namespace zorvik
