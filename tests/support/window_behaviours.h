#pragma once

#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "file_transaction/file_transaction.h"
#include "main_window/form1.h"
#include "tests/support/step_faults.h"

namespace zorvik::testing {

enum class Key { Tab, BackTab, Down, Enter, KeypadEnter, Space };

// The ways a person stops the progress dialog, and the window's close meanwhile.
enum class Stop { CancelButton, Escape, CloseBox, WindowClosed };

// What the progress dialog showed while it stood over the window.
struct ProgressSeen {
    std::string title;
    std::string text;
    std::string button;
    bool barMoved = false;
    bool windowTakesInput = true;
    int width = 0;  // the dialog's and the window's, frames included
    int windowWidth = 0;
};

// A control's face (its height in pixels, the em's, and whether bold and italic), and its text's
// colour and the background under it, as 0xRRGGBB.
struct Face {
    int pixels = 0;
    bool bold = false;
    bool italic = false;
    bool operator==(const Face&) const = default;
};
struct Look {
    Face face;
    std::uint32_t text = 0;
    std::uint32_t background = 0;
};

// A copy's flush that waits (ten seconds at most) until released, as the driver stops a dialog.
struct FlushHold {
    std::atomic<bool> flushing{false};
    std::atomic<bool> released{false};
    // the step faults that hold the flush
    static StepFaults of(const std::shared_ptr<FlushHold>& hold);
};

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
    // One the player takes, where the melodies above are made not to play (a choice of the ring
    // melody refuses those).
    virtual void addPlayableMelody(const std::string& name) { addMelody(name); }
    virtual void storeOptions(const std::string& valueLines) = 0;
    virtual std::string storedOptions() = 0;
    // Shown and active, its first repaint done, the focus on the list.
    virtual Form1& startWindow() = 0;

    // On the control that has the focus; `repeats` more presses held down.
    virtual void press(Key key, int repeats = 0) = 0;
    virtual void focus(std::string_view control) = 0;
    virtual std::string focused() = 0;
    virtual void clickRow(int row) = 0;
    virtual void clickBelowTheNames() = 0;  // in the list, where no name is
    virtual void clickControl(std::string_view control) = 0;
    // The window activated `times` over at once, once what came before has settled, and what
    // follows handled; how many repaints that asked for.
    virtual int reactivate(int times) = 0;
    virtual void closeWindow() = 0;
    // The pointer put 10 pixels into Command1, then the button pressed with `key` or, with
    // none, clicked there; the menu's second item chosen, or the menu dismissed. Where the
    // menu stood, from the button's top left corner.
    virtual Place menuShownAfter(std::optional<Key> key, bool chooseSecond) = 0;

    // Each later box answered so, rather than Cancel; before any box shows.
    virtual void answerBoxes(int answer) = 0;

    virtual std::vector<std::string> listed() = 0;
    virtual int selectedRow() = 0;  // -1 for none
    virtual std::string textOf(std::string_view control) = 0;
    virtual int checkShown(std::string_view control) = 0;  // as CheckBox values
    // The tip's lines joined; "" with no tip shown wholly on the screen.
    virtual std::string tipOver(int row) = 0;
    virtual std::vector<std::string> boxesShown() = 0;
    virtual int playsStarted() = 0;

    // Files below the install folder, by their place there ("Phone.wav", "Rings\\a.wav"); "" for
    // none, and the folder's names in byte order, space-separated.
    virtual void writeInstalled(const std::string& place, const std::string& bytes) = 0;
    virtual std::string readInstalled(const std::string& place) = 0;
    virtual std::string listInstalled(const std::string& folder) = 0;
    // A melody of that name outside the install folder, which the next open-file dialog chooses.
    virtual void chooseNextInTheOpenFileDialog(const std::string& name) = 0;
    // Only the administrator may change the install folder, and the window offers to ask for
    // the rights; false where the platform asks no one (a refusal then stands).
    virtual bool installFolderNeedsRights() = 0;

    // The window's own progress service.
    virtual ProgressService& progress() = 0;
    // The next progress dialog shows at once. Once it shows (and, `atTheFlush`, once the copy
    // under it is being flushed, its content all written, the flush waiting for this), it is
    // read into `seen` (where given) and stopped `how`.
    virtual void stopTheNextProgress(Stop how, bool atTheFlush, ProgressSeen* seen) = 0;
    // The next `answeredFirst` questions are answered OK unseen, and once the question after
    // them shows, the window is asked to close, as another program asks.
    virtual void closeWhenAQuestionShows(int answeredFirst) = 0;
    // Since that: whether the window went while a handler still ran, and whether it is gone.
    virtual bool wentWhileAHandlerRan() = 0;
    virtual bool windowGone() = 0;

    // The list's pixels as the screen shows them, or once drawn anew; a wheel step down on it.
    virtual std::vector<std::uint32_t> listPixels(bool drawnAnew) = 0;
    virtual void wheelDownOverTheList() = 0;
    virtual Look lookOf(std::string_view control) = 0;
    virtual std::uint32_t buttonFace() = 0;  // the system's colour of buttons, 0xRRGGBB
    virtual std::string caption() = 0;
    virtual bool resizable() = 0;
    virtual Place clientArea() = 0;
    virtual int iconSide() = 0;  // in pixels; 0 for no icon
    virtual std::vector<std::string> menuCaptions() = 0;
    virtual bool hasMenuBar() = 0;
    virtual Place placeOf(std::string_view control) = 0;            // in its container
    virtual std::string containerOf(std::string_view control) = 0;  // "" for the window
    virtual bool visible(std::string_view control) = 0;
    virtual int dpi() = 0;
};

// The controls' places as designed, written out rather than taken from the table the window
// is laid out from.
struct DesignedPlace {
    const char* name;
    const char* container;  // "" for the window
    int twips[4];           // left, top, width, height
    bool visible;
};
inline constexpr DesignedPlace kDesignedPlaces[] = {
    {"Check2", "", {150, 4680, 2775, 315}, true},
    {"Command2", "", {3120, 2520, 1455, 735}, true},
    {"Command1", "", {3120, 3360, 1455, 735}, true},
    {"Check1", "", {3080, 1200, 1575, 615}, true},
    {"Frame1", "", {3000, 840, 1695, 1215}, true},
    {"Frame4", "", {3000, 2160, 1695, 2895}, true},
    {"Command3", "Frame4", {120, 2040, 1455, 735}, true},
    {"Frame3", "", {50, 0, 4650, 735}, true},
    {"Text2", "Frame3", {240, 240, 4215, 225}, true},
    {"Text1", "Frame3", {165, 360, 4215, 240}, true},
    {"File1", "", {120, 1200, 2775, 3405}, true},
    {"Frame2", "", {50, 840, 2925, 4215}, true},
    {"MMControl1", "", {-600, 2040, 3540, 375}, false},
};

// Pixels for twips, and for points, at `dpi`, rounded to the nearest.
inline int pixelsOf(int twips, int dpi) {
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}
inline int pixelsOfPoints(double points, int dpi) {
    return static_cast<int>(std::lround(points * dpi / 72.0));
}

// Every control in its designed container, place (at the window's DPI) and visibility.
void expectTheDesignedPlaces(WindowDriver& window);

struct WindowBehaviour {
    const char* name;
    void (*run)(WindowDriver&);
};

const std::vector<WindowBehaviour>& windowBehaviours();
// The rows on the long copy, its Cancel and the window's close under a dialog.
std::vector<WindowBehaviour> modalBehaviours();

}  // namespace zorvik::testing
