#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "platform/status.h"
#include "platform/texts.h"

namespace zorvik {

// A copy that may take long (a melody of gigabytes) runs here, so that the window keeps drawing
// itself and still hears a request to close while it runs. The window takes no other command
// meanwhile: one copy at a time, and nothing the user does can change what it copies.
class ProgressService {
public:
    virtual ~ProgressService() = default;

    // Runs `work` and returns once it has returned. `work` tells the CopyProgress it is given
    // how far it has come; should it take longer than a moment, a modal dialog naming `fileName`
    // shows that and offers to cancel, and a cancel makes the next report answer false.
    virtual void run(std::string_view fileName, const std::function<void(CopyProgress&)>& work) = 0;

    // Cancels the work under way, if any, as the dialog's Cancel does, and gives it a moment to
    // end: for a window that must close while it runs.
    virtual void dismiss() = 0;
};

// What every platform's progress dialog says, naming the file, and its button.
std::string copyingText(std::string_view fileName);
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
