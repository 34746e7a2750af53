// What a screen reader (Orca) hears of the real program, over AT-SPI on a private D-Bus session,
// with the program on the test display (tools/test starts one with Xvfb and openbox). Where
// there is no display, D-Bus or accessibility bus, the tests skip.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "main_window/accessible_texts.h"
#include "main_window/form1_layout.h"
#include "tests/accessibility/screen_reader_fixture.h"
#include "tests/support/test_display.h"

namespace zorvik::testing {
namespace {

using Heard = std::pair<AtspiRole, std::string>;

Heard heard(const Accessible& object) {
    return {object.role(), object.name()};
}

void expectEveryFocusableNamed(const Accessible& topLevel) {
    for (const Accessible& object : topLevel.subtree()) {
        if (object.has(ATSPI_STATE_FOCUSABLE) && object.has(ATSPI_STATE_SHOWING)) {
            EXPECT_FALSE(object.name().empty())
                << "an unnamed " << object.role() << " in " << topLevel.name();
        }
    }
}

// by layout::Kind, in its order; a role out of step finds nothing and fails loudly
constexpr AtspiRole kRoleOfKind[] = {ATSPI_ROLE_PANEL, ATSPI_ROLE_CHECK_BOX, ATSPI_ROLE_PUSH_BUTTON,
                                     ATSPI_ROLE_TEXT,  ATSPI_ROLE_LIST,      ATSPI_ROLE_FILLER};

std::vector<std::string> entriesOf(const Accessible& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.childCount(); ++i) {
        names.push_back(list.child(i).name());
    }
    return names;
}

class WithAScreenReader : public ScreenReaderTest {};

TEST_F(WithAScreenReader, TheWindowIsAFrameWhoseControlsAreNamedAndDescribed) {
    const Accessible window = startProgram();
    ASSERT_TRUE(window);
    expectEveryFocusableNamed(window);
    const Accessible list = window.find(ATSPI_ROLE_LIST);
    EXPECT_EQ(list.name(), "Мелодии в папката на Zorvik BG");
    EXPECT_EQ(entriesOf(list), (std::vector<std::string>{"a.wav", "Звън.wav"}));
    for (const auto& control : layout::kControls) {
        if (!control.visible) {
            continue;
        }
        SCOPED_TRACE(control.name);
        const std::string_view name = accessible::textOf(control.name, MelodyView::Rings).name;
        const Accessible object = window.find(kRoleOfKind[static_cast<int>(control.kind)],
                                              name.empty() ? control.caption : name);
        ASSERT_TRUE(object) << "nothing of its kind on the bus bears its name";
        EXPECT_EQ(object.description(),
                  accessible::textOf(control.name, MelodyView::Rings).description);
    }
}

TEST_F(WithAScreenReader, TabGoesRoundTheControlsAsTheyAreHeard) {
    const Accessible window = startProgram();
    ASSERT_TRUE(window);
    const std::string ringName(layout::findControl("Frame3")->caption);
    const Heard round[] = {
        {ATSPI_ROLE_CHECK_BOX, "Избери само за прослушване на мелодиите"},
        {ATSPI_ROLE_PUSH_BUTTON, "Добавяне на нова мелодия"},
        {ATSPI_ROLE_PUSH_BUTTON, "Запис на избраната мелодия"},
        {ATSPI_ROLE_TEXT, ringName},
        {ATSPI_ROLE_TEXT, ringName},
        {ATSPI_ROLE_PUSH_BUTTON, "Изтриване на маркираната мелодия"},
        {ATSPI_ROLE_CHECK_BOX, "Преместване в папка \"Deleted\""},
        {ATSPI_ROLE_LIST, "Мелодии в папката на Zorvik BG"},
    };
    ASSERT_TRUE(waitFor([&] { return heard(focused()) == round[std::size(round) - 1]; }))
        << "the list has the focus when the window opens";
    for (const auto& next : round) {
        pressKey("Tab");
        EXPECT_TRUE(waitFor([&] { return heard(focused()) == next; }))
            << "heard " << focused().name() << " where " << next.second << " was due";
    }
}

TEST_F(WithAScreenReader, TheMarkedMelodyIsSelectedItsChoiceAskedAndTheTextBoxesReadIt) {
    const Accessible window = startProgram();
    ASSERT_TRUE(window);
    const Accessible list = window.find(ATSPI_ROLE_LIST);
    pressKey("Down");
    ASSERT_TRUE(waitFor([&] { return list.child(0).has(ATSPI_STATE_SELECTED); }))
        << "the melody marked from the keyboard is not reported selected";
    EXPECT_FALSE(list.child(1).has(ATSPI_STATE_SELECTED));

    ASSERT_TRUE(window.find(ATSPI_ROLE_PUSH_BUTTON, "Запис на избраната мелодия").act("Press"));
    const Accessible question = topLevel(ATSPI_ROLE_ALERT, "Избор на мелодия...");
    ASSERT_TRUE(question) << "the question is not an alert named by its title";
    ASSERT_TRUE(waitFor([&] { return question.has(ATSPI_STATE_ACTIVE); }));
    EXPECT_TRUE(
        question.find(ATSPI_ROLE_LABEL,
                      "Желаете ли запис на избраната мелодия\n за звънене на Zorvik BG?\n„a.wav“"))
        << "the question is not read whole";
    expectEveryFocusableNamed(question);
    pressKey("Return");  // OK, the box's default
    ASSERT_TRUE(waitFor([&] { return !question.has(ATSPI_STATE_SHOWING); }));

    // what the boxes show is the window's tests' concern; here, that a reader hears it
    const Accessible ringBox = window.find(ATSPI_ROLE_TEXT);
    EXPECT_TRUE(waitFor([&] { return ringBox.text() == "a.wav"; })) << ringBox.text();
}

TEST_F(WithAScreenReader, TheMenuTheDialogAndTheDeletedViewAreNamed) {
    const Accessible window = startProgram();
    ASSERT_TRUE(window);
    // the menu is opened and gone through from the keyboard, as a screen reader's user does
    const Accessible addButton = window.find(ATSPI_ROLE_PUSH_BUTTON, "Добавяне на нова мелодия");
    const auto chooseFromMenu = [&](int downs, const Heard& item) {
        ASSERT_TRUE(addButton.act("SetFocus"));
        ASSERT_TRUE(waitFor([&] { return heard(focused()) == heard(addButton); }));
        pressKey("Return");
        for (int i = 0; i < downs; ++i) {
            pressKey("Down");
        }
        ASSERT_TRUE(waitFor([&] { return heard(focused()) == item; }))
            << "heard " << focused().name() << " where " << item.second << " was due";
        const Accessible menu = focused().parent();
        EXPECT_EQ(heard(menu), (Heard{ATSPI_ROLE_POPUP_MENU, "Добавяне на нова мелодия"}))
            << "the popup is named after its button";
        EXPECT_EQ(entriesOf(menu),
                  (std::vector<std::string>{"Нова мелодия", "От папка \"Deleted\""}));
        pressKey("Return");
    };
    chooseFromMenu(1, {ATSPI_ROLE_MENU_ITEM, "Нова мелодия"});
    const Accessible dialog = topLevel(ATSPI_ROLE_DIALOG, layout::kDialogTitle);
    ASSERT_TRUE(dialog) << "the open-file dialog is not named by its title";
    expectEveryFocusableNamed(dialog);
    ASSERT_TRUE(waitFor([&] { return dialog.has(ATSPI_STATE_ACTIVE); }));
    pressKey("Escape");
    ASSERT_TRUE(waitFor([&] { return !dialog.has(ATSPI_STATE_SHOWING); }));

    chooseFromMenu(2, {ATSPI_ROLE_MENU_ITEM, "От папка \"Deleted\""});
    const Accessible list = window.find(ATSPI_ROLE_LIST);
    ASSERT_TRUE(waitFor([&] { return list.name() == "Мелодии в папка „Deleted“"; }))
        << "the list is named " << list.name() << " in the Deleted view";
    const Accessible restore =
        window.find(ATSPI_ROLE_PUSH_BUTTON, "Добавяне на маркираната мелодия");
    ASSERT_TRUE(restore) << "the delete button is not named by its caption in the Deleted view";
    EXPECT_EQ(restore.description(),
              accessible::textOf("Command3", MelodyView::Deleted).description);
}

}  // namespace
}  // namespace zorvik::testing

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    using namespace zorvik::testing;
    std::string& reason = screenReaderUnavailableReason();
    reason = whyNoTestDisplay({"xdotool", "dbus-daemon"});
    if (reason.empty() &&
        !std::filesystem::exists("/usr/share/dbus-1/services/org.a11y.Bus.service")) {
        reason = "no accessibility bus to start (Debian package at-spi2-core)";
    }
    PrivateSession session;
    if (reason.empty()) {
        reason = session.start();
    }
    const bool connected = reason.empty() && connectScreenReader();
    if (reason.empty() && !connected) {
        reason = "the accessibility bus of the private session cannot be reached";
    }
    // the program's window on the display, its accessibility on whether or not a reader runs
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    setenv("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1", 1);
    const int result = RUN_ALL_TESTS();
    if (connected) {
        disconnectScreenReader();
    }
    return result;
}
