#pragma once

#include <string>

#include "platform/status.h"

namespace zorvik {

// The open-file dialog, with the title and filter it was made with.
class OpenFileDialog {
public:
    virtual ~OpenFileDialog() = default;

    // Modal; returns when the user has chosen a file or cancelled.
    virtual Status Show() = 0;
    // The chosen file's name and extension without its folder; "" when none was chosen.
    virtual std::string FileTitle() const = 0;
    // The chosen file's full path in Windows form.
    virtual std::string FileName() const = 0;

    // Cancels the dialog that is open, if any, as the user's Cancel does.
    virtual void dismiss() = 0;
};

}  // namespace zorvik
