#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>
#include <string_view>

#include "platform/copy_worker.h"
#include "platform/progress_service.h"

namespace zorvik {

// The copy runs on a thread of its own while this one keeps the window's events flowing; after
// a moment Qt's progress dialog over the window shows how far it has come and offers to cancel.
// The window takes no input before the copy ends; a request to close it cancels the copy.
class QtProgress final : public ProgressService {
public:
    QtProgress(QWidget* parent, std::string_view caption);

    bool run(std::string_view doing, const std::function<void(CopyProgress&)>& work) override;
    void dismiss() override;

    // How long a copy runs before its dialog shows; tests show it at once.
    void setDialogDelay(int milliseconds) { delayMs_ = milliseconds; }

private:
    QPointer<QWidget> parent_;
    QString caption_;
    int delayMs_ = kProgressDialogDelayMs;
    CopyWorker* running_ = nullptr;  // the copy under way, if any
};

}  // namespace zorvik
