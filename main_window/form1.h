#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "main_window/check_box.h"
#include "main_window/close_answers.h"
#include "main_window/form_picture.h"
#include "melody_library/melody_library.h"
#include "platform/platform_services.h"

namespace zorvik {

// The window's state and its event handlers, free of any toolkit: the drawing layer forwards
// the user's events here and draws what it reads back.
//
// Every handler runs through one dispatch point. A failure there stops the handler and is shown
// in one Bulgarian box (a notice, such as nothing marked, with the information icon); the
// program always goes on. A repaint that arrives while a handler runs
// (a question box is open, say) waits for it to end, and several waiting repaints run once; so
// does a request to close the window.
class Form1 {
public:
    // How the user pressed a button.
    enum class PressedWith { Mouse, Keyboard };

    explicit Form1(CoreServices services);
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // What the window shows, in one piece.
    FormPicture picture() const;

    // The controls' states, one by one.
    const CheckBox& Check1() const { return check1_; }
    const CheckBox& Check2() const { return check2_; }
    const std::string& Text1() const { return text1_; }
    const std::string& Text2() const { return text2_; }
    std::string_view Command3Caption() const { return library_.deleteButtonCaption(); }
    const MelodyList& File1() const { return library_.File1(); }
    MelodyView view() const { return library_.view(); }
    const std::string& s() const { return library_.s(); }
    const settings::ShellHolder& shell() const { return shell_; }
    // How many repaints have run so far.
    int repaintsRun() const { return repaintsRun_; }

    // The toolkit's news that the surface must be drawn anew (shown, exposed, re-activated).
    // The repaint stays due, however much such news comes, until runDueRepaint(): the toolkit
    // calls that from a reminder it posts itself, or before any input that arrives first, since
    // that input is meant for what the repaint shows.
    void markRepaintDue() { repaintDue_ = true; }
    // The window became the active window: whether that makes a repaint due. Only becoming it
    // again does; the first activation belongs to the first showing, which has its repaint.
    bool activationRepaints() { return std::exchange(activatedBefore_, true); }
    // The window is about to reach the screen: its repaint runs now, so that its first frame is
    // whole rather than an empty list filled a frame later.
    void showing();
    // The surface was exposed: whether that makes a repaint due. The exposures that put a
    // showing on the screen are that showing's, which has had its repaint, until the toolkit
    // says with showingExposed() that they are over.
    bool exposureRepaints() const { return !showingExposures_; }
    void showingExposed() { showingExposures_ = false; }
    bool isRepaintDue() const { return repaintDue_; }
    void runDueRepaint();
    // How many due repaints have run, for tests and tools that wait for the first one.
    int dueRepaintsRun() const { return dueRepaintsRun_; }

    // What the user does that runs no handler.
    void clickCheck1() { clickCheckBox(check1_); }
    void clickCheck2() { clickCheckBox(check2_); }
    void selectEntry(std::optional<std::size_t> index);
    // The user chose the entry drawn at `shownRow` under `shownName`: it is selected and clicked.
    // The list may have been read again since it was drawn: the melody of that name counts,
    // wherever it stands now, and where it has gone nothing is clicked.
    void entryChosen(std::size_t shownRow, std::string_view shownName);

    // The window's events.
    void Form_Load();
    void Form_Paint();
    void Form_Unload(std::int16_t& Cancel);
    void File1_Click();
    void Command1_Click(PressedWith with);
    void Command2_Click();
    void nm_Click();
    void pd_Click();
    void Command3_Click();

    // The user's request to close the window (or another program's, on the user's behalf).
    // Between handlers the window closes at once. While one runs, whatever box, menu, dialog or
    // copy it has open is answered as Cancel (a copy cancelled leaves everything as it was), and
    // the window closes when the handler has ended, so nothing a box was asking about happens
    // after the window has gone. Closing runs Form_Unload, then the close listener, which takes
    // the window away; later events run no handler.
    void requestClose();
    // The same close asked for by the system (a signal, the session manager), with no one at the
    // window: every box or copy that opens before the window has gone answers Cancel unseen.
    void requestCloseUnattended();
    // The session is ending and the program may not outlive this call: the options are stored
    // at once, even in the middle of a handler, and the window closes as for
    // requestCloseUnattended().
    void endSession();
    bool closed() const { return closed_; }
    // The window went without a close (another program destroyed it): the options are stored
    // as at a close, with no one to answer anything, and no later event acts.
    void windowDestroyed();
    // The display went (its connection broke) and the program ends at once, in the middle of a
    // handler or not: as windowDestroyed(), but touching no box, there being nothing to draw on.
    void displayLost();

    // Whether Form_Unload has run: it runs once, however many ways the window is closed.
    bool unloaded() const { return unloaded_; }
    // Whether a handler is running (one of its boxes, menus or dialogs is open).
    bool handling() const { return handlersRunning_ > 0; }

    // Called after every change of what the window shows.
    void setChangeListener(std::function<void()> listener) { listener_ = std::move(listener); }
    // Called once, when the window is to go.
    void setCloseListener(std::function<void()> listener) { closeListener_ = std::move(listener); }

private:
    void run(const std::function<Status()>& handler);
    void runWaitingRepaint();
    void closeNow();
    void unloadUnattended();
    void notify();
    void clickCheckBox(CheckBox& box);
    void readRingSoundIntoTexts();

    CloseAnswers box_;
    Player& player_;
    PopupMenu& popup_;
    settings::ShellHolder shell_;
    MelodyLibrary library_;
    CheckBox check1_;
    CheckBox check2_;
    std::string text1_;
    std::string text2_;
    std::function<void()> listener_;
    std::function<void()> closeListener_;
    int handlersRunning_ = 0;
    bool repaintWaiting_ = false;
    int repaintsRun_ = 0;
    bool repaintDue_ = false;
    bool activatedBefore_ = false;
    bool showingExposures_ = false;
    int dueRepaintsRun_ = 0;
    bool unloaded_ = false;
    bool closeWaiting_ = false;
    bool closing_ = false;
    bool closed_ = false;
};

// The window's services taken from the platform's bundle.
CoreServices coreServicesOf(PlatformServices& platform, settings::ShellFactory& shells);

}  // namespace zorvik
