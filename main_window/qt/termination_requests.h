#pragma once

#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace zorvik::gui {

// The system's requests to end the program (SIGTERM, SIGINT, SIGHUP: logout, shutdown, kill,
// Ctrl+C), delivered to the event loop instead of ending the process at once, so that the
// window can close as the user's close does. One at a time; the signals' earlier handling is
// restored when it ends.
class TerminationRequests {
public:
    explicit TerminationRequests(std::function<void()> onRequest);
    ~TerminationRequests();
    TerminationRequests(const TerminationRequests&) = delete;
    TerminationRequests& operator=(const TerminationRequests&) = delete;

private:
    void readRequests();

    std::function<void()> onRequest_;
    int pipe_[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier_;
};

// Runs `beforeExit` should the process end through exit() while this lives: Qt's X11 platform
// ends it so, at once, when the display's connection breaks (the X server gone, the session
// ended without a session manager, the connection killed). One at a time.
class ExitWhileOpen {
public:
    explicit ExitWhileOpen(std::function<void()> beforeExit);
    ~ExitWhileOpen();
    ExitWhileOpen(const ExitWhileOpen&) = delete;
    ExitWhileOpen& operator=(const ExitWhileOpen&) = delete;
};

}  // namespace zorvik::gui
