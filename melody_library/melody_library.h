#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "melody_library/core_services.h"
#include "melody_library/melody_list.h"
#include "melody_library/melody_move.h"
#include "melody_library/ring_file_switch.h"
#include "platform/status.h"
#include "settings/shell_object.h"
#include "sound/melody_source.h"
#include "sound/player.h"
#include "sound/sound_decoder.h"

namespace zorvik {

// Which folder the list shows, with the matching caption of the delete button.
enum class MelodyView { Rings, Deleted };

// The melody folders and the operations on them: the list, the melody last clicked (s) and what
// the buttons do with it. Each operation returns its first failure; the window shows it.
class MelodyLibrary {
public:
    // `services` as the window gives them: its boxes and progress are the ones a close answers.
    MelodyLibrary(CoreServices services, settings::ShellHolder& shell);
    // its parts keep references into it
    MelodyLibrary(const MelodyLibrary&) = delete;
    MelodyLibrary& operator=(const MelodyLibrary&) = delete;

    MelodyList& File1() { return list_; }
    const MelodyList& File1() const { return list_; }
    // The full path of the melody last clicked; "" until the first click.
    const std::string& s() const { return s_; }
    MelodyView view() const { return view_; }
    std::string_view deleteButtonCaption() const;

    // application folder & "\Rings", set when the window opens and read by the repaint that
    // follows; a folder that cannot be read leaves the list where it was.
    void showRingsFolder();
    // s = list folder & "\" & selected name, then a new shell object.
    Status a();
    // A click in the list: records the melody and, unless `check1State` is clear, plays it.
    Status preview(std::int16_t check1State);
    // Asks, then copies the selected melody over the ring file and records its folder and name,
    // the two as one: on any failure both stay as they were. With nothing selected it says so
    // without asking, and a melody the player would refuse is refused before the question.
    Status chooseRingMelody();
    // At start: finishes or undoes what a killed run left half done (a ring choice, then a
    // move), then removes the copies killed runs left beside the ring file and in the melody
    // folders; a copy another running instance is still writing stays.
    void settleInterruptedWork();
    // Adds a file chosen in the open-file dialog to the Rings folder: a WAV the program plays as
    // it is, copied byte for byte; any other sound a decoder here reads, converted into one
    // (named after the file, with ".wav"); anything else refused before the question, which
    // says so when the melody would replace one there. A copy the user cancels adds nothing.
    Status addMelody();
    // Switches the list to the Deleted folder.
    Status showDeletedFolder();
    // Deletes s for good, moves it into the Deleted folder, or moves it back, by the view and
    // the tick of the move box; then always returns to the Rings view. Only the melody the list
    // shows marked is ever touched, under a question that names it and any melody it would
    // replace; with none marked, a notice says so.
    Status deleteMarked(std::int16_t check2State);

private:
    Status deleteMarkedInView(bool moveTicked);
    // Moves the marked melody (melody_move.h), as an administrator where the folders ask for one.
    Status moveMarked(const std::string& destination);
    void removeAbandonedCopies();
    Status addChosen(const std::string& path, const std::string& title);
    // The chosen file as a melody's source; refused, with a box's message naming it.
    Result<sound::MelodySource> examine(const std::string& path);
    Status replaceRingFile(const std::string& folder, const std::string& name);
    // Runs `action`, all or nothing; where the install folder refused one of its changes to the
    // user's own rights, asks once whether to go on as an administrator and, on consent, runs
    // it again with its changes made by an elevated process. Cancelled where the user declined.
    Status withRightsOnDemand(std::string_view title, const std::function<Status()>& action);
    void returnToRingsView();
    bool confirmed(std::string_view message, std::string_view title);
    // The line a question ends with when `destination` would replace a melody there (named as
    // Windows matches names); "" when it would not.
    std::string replacedLine(std::string_view destination) const;

    CoreServices services_;
    settings::ShellHolder& shell_;
    MelodyList list_;
    RingFileSwitch ring_;
    MelodyMove move_;
    std::string s_;
    MelodyView view_ = MelodyView::Rings;
};

}  // namespace zorvik
