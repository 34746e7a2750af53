#pragma once

#include <functional>
#include <optional>
#include <string_view>

#include "platform/message_box_service.h"
#include "platform/open_file_dialog.h"
#include "platform/popup_menu.h"
#include "platform/progress_service.h"

namespace zorvik {

// The window's boxes and the copies' progress as the handlers reach them, and the one list of
// what a close answers Cancel. Once a close has come that no one at the window will see through
// (a signal, the session ending, the window destroyed), whatever would open from then on answers
// Cancel at once, unseen: a box (one the closing itself opens, say) would otherwise wait for an
// answer no one gives. (A popup or the open-file dialog opens only as a handler starts, which
// no handler does once a close has come.)
class CloseAnswers final : public MessageBoxService, public ProgressService {
public:
    CloseAnswers(MessageBoxService& box, PopupMenu& popup, OpenFileDialog& dialog,
                 ProgressService& progress)
        : box_(box), popup_(popup), dialog_(dialog), progress_(progress) {}

    // Answers as Cancel the box, the popup, the dialog and the copy that are open.
    void cancelWhatIsOpen();
    // No one is left to answer: what is open and whatever opens later answers Cancel.
    void answerForAnAbsentUser();
    // No one is left and nothing can be drawn any more (the display is gone): whatever opens
    // later answers Cancel and the copy under way stops, while the boxes open are not touched.
    void answerWithNoDisplay();

    std::optional<int> confirm(std::string_view message, std::string_view title) override;
    std::optional<int> confirmElevation(std::string_view message, std::string_view title) override;
    std::optional<int> retryOrCancel(std::string_view message, std::string_view title) override;
    void showError(std::string_view message, std::string_view title) override;
    void showNotice(std::string_view message, std::string_view title) override;
    // A box's and a progress's dismissal alike: everything open.
    void dismiss() override { cancelWhatIsOpen(); }

    bool run(std::string_view doing, const std::function<void(CopyProgress&)>& work) override;

private:
    MessageBoxService& box_;
    PopupMenu& popup_;
    OpenFileDialog& dialog_;
    ProgressService& progress_;
    bool userAbsent_ = false;
};

}  // namespace zorvik
