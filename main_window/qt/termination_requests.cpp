#include "main_window/qt/termination_requests.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <utility>

namespace zorvik::gui {

namespace {

constexpr std::array kRequests = {SIGTERM, SIGINT, SIGHUP};

// Only what a signal handler may touch: the pipe's write end and the handlers to restore.
volatile std::sig_atomic_t requestPipe = -1;
std::array<struct sigaction, kRequests.size()> previousHandlers{};

extern "C" void onTerminationSignal(int) {
    const int savedErrno = errno;
    const char request = 1;
    // a full pipe already holds a request, which is all that matters
    (void)!write(requestPipe, &request, 1);
    errno = savedErrno;
}

}  // namespace

TerminationRequests::TerminationRequests(std::function<void()> onRequest)
    : onRequest_(std::move(onRequest)) {
    if (pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;  // the signals keep their default: the program still ends, as before
    }
    requestPipe = pipe_[1];
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { readRequests(); });
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kRequests.size(); ++i) {
        sigaction(kRequests[i], &action, &previousHandlers[i]);
    }
}

TerminationRequests::~TerminationRequests() {
    if (pipe_[0] < 0) {
        return;
    }
    for (std::size_t i = 0; i < kRequests.size(); ++i) {
        sigaction(kRequests[i], &previousHandlers[i], nullptr);
    }
    requestPipe = -1;
    notifier_.reset();
    close(pipe_[0]);
    close(pipe_[1]);
}

namespace {

std::function<void()>& atExit() {
    static std::function<void()> pending;
    return pending;
}

extern "C" void runAtExit() {
    if (auto pending = std::exchange(atExit(), nullptr)) {
        pending();
    }
}

}  // namespace

ExitWhileOpen::ExitWhileOpen(std::function<void()> beforeExit) {
    static const bool registered = std::atexit(runAtExit) == 0;
    if (registered) {
        atExit() = std::move(beforeExit);
    }
}

ExitWhileOpen::~ExitWhileOpen() {
    atExit() = nullptr;
}

void TerminationRequests::readRequests() {
    char requests[64];
    while (read(pipe_[0], requests, sizeof requests) > 0) {
    }
    // a second request while the first is still closing the window asks for nothing new
    onRequest_();
}

}  // namespace zorvik::gui
