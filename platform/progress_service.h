#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/status.h"
#include "texts/texts.h"

namespace zorvik {

// Work that may take long (a copy of gigabytes) runs here, so that the window keeps drawing
// itself and still hears a request to close while it runs. The window takes no other command
// meanwhile: one piece of work at a time, and nothing the user does can change what it works on.
class ProgressService {
public:
    virtual ~ProgressService() = default;

    // Runs `work` and returns once it has returned. `work` tells the CopyProgress it is given
    // how far it has come; should it take longer than a moment, a modal dialog saying `doing`
    // shows that and offers to cancel, and a cancel makes the next report answer false.
    // `work` ends at its last step that can still be undone, and the dialog stays until the
    // caller hears whether it was cancelled: false when it was, however late (after the last
    // report, while a flush ran), and the caller then undoes what the work made. Past that, no
    // cancel is offered.
    [[nodiscard]] virtual bool run(std::string_view doing,
                                   const std::function<void(CopyProgress&)>& work) = 0;

    // Cancels the work under way, if any, as the dialog's Cancel does, and gives it a moment to
    // end: for a window that must close while it runs.
    virtual void dismiss() = 0;
};

// What every platform's progress dialog says of a copy, a move and a conversion, naming the file.
std::string copyingText(std::string_view fileName);
std::string movingText(std::string_view fileName);
std::string convertingText(std::string_view fileName);
// How long a copy runs before its dialog shows: a short one never flashes a dialog.
inline constexpr int kProgressDialogDelayMs = 500;

// The first half of a copy (every check and the whole content, to a temporary beside the
// destination) under the progress dialog; Cancelled, with nothing left behind, when the user
// cancelled it. Putting the copy in place stays with the caller. `maker`: as prepareCopy's.
Result<std::unique_ptr<PreparedCopy>> prepareCopyShowingProgress(FileSystem& files,
                                                                 ProgressService& progress,
                                                                 std::string_view source,
                                                                 std::string_view destination,
                                                                 ContentMaker* maker = nullptr);

// A move under the progress dialog, should it have to copy (across volumes), recorded in
// `journal` while a kill could cut it in two; the renames stay with the caller's thread.
Status moveShowingProgress(FileSystem& files, ProgressService& progress, std::string_view source,
                           std::string_view destination, MoveJournal& journal);

// A whole copy under the progress dialog.
Status copyShowingProgress(FileSystem& files, ProgressService& progress, std::string_view source,
                           std::string_view destination, ContentMaker* maker = nullptr);

}  // namespace zorvik
