#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "main_window/form1.h"

namespace zorvik::testing {

enum class Key { Tab, BackTab, Down, Enter, KeypadEnter, Space };

// Pixels: in the control's container, or on the screen.
struct Place {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Place&) const = default;
};

// What a user does to the real window of one toolkit, and what it then shows, so that one table
// of behaviours runs against every toolkit's window. Controls go by their design names; the
// boxes the window shows are answered Cancel (a notice, just closed).
class WindowDriver {
public:
    virtual ~WindowDriver() = default;

    // The machine, before the window starts or while it runs (by another program).
    virtual void addMelody(const std::string& name, bool inDeleted = false) = 0;
    virtual void storeOptions(const std::string& valueLines) = 0;
    virtual std::string storedOptions() = 0;
    // Shown and active, its first repaint done, the focus on the list.
    virtual Form1& startWindow() = 0;

    // On the control that has the focus; `repeats` more presses held down.
    virtual void press(Key key, int repeats = 0) = 0;
    virtual void focus(std::string_view control) = 0;
    virtual std::string focused() = 0;
    virtual void clickRow(int row) = 0;
    virtual void clickControl(std::string_view control) = 0;
    // The window activated `times` over at once, and what follows handled.
    virtual void reactivate(int times) = 0;
    virtual void closeWindow() = 0;
    // The pointer put 10 pixels into Command1, then the button pressed with `key` or, with
    // none, clicked there; the menu's second item chosen, or the menu dismissed. Where the
    // menu stood on the screen.
    virtual Place menuShownAfter(std::optional<Key> key, bool chooseSecond) = 0;

    virtual std::vector<std::string> listed() = 0;
    virtual int selectedRow() = 0;  // -1 for none
    virtual std::string textOf(std::string_view control) = 0;
    virtual int checkShown(std::string_view control) = 0;  // as CheckBox values
    virtual int repaintsRequested() = 0;
    virtual std::string tipOver(int row) = 0;  // its lines joined; "" with no tip
    virtual bool tipOnTheScreen() = 0;
    virtual std::vector<std::string> boxesShown() = 0;
    virtual int playsStarted() = 0;
    virtual std::vector<std::string> menuCaptions() = 0;
    virtual bool hasMenuBar() = 0;
    virtual Place placeOf(std::string_view control) = 0;  // in its container
    virtual Place onTheScreen(std::string_view control) = 0;
    virtual std::string containerOf(std::string_view control) = 0;  // "" for the window
    virtual bool visible(std::string_view control) = 0;
    virtual int dpi() = 0;
};

struct WindowBehaviour {
    const char* name;
    void (*run)(WindowDriver&);
};

const std::vector<WindowBehaviour>& windowBehaviours();

}  // namespace zorvik::testing
