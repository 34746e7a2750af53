#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <system_error>
#include <thread>
#include <utility>

#include "platform/file_system.h"

namespace zorvik {

// A copy on a thread of its own, for the progress services: what it reports, read from the
// window's thread, and the cancel that thread gives it.
class CopyWorker final : public CopyProgress {
public:
    CopyWorker() = default;
    CopyWorker(const CopyWorker&) = delete;
    CopyWorker& operator=(const CopyWorker&) = delete;
    ~CopyWorker() override {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    bool copied(std::uint64_t bytes, std::uint64_t of) override {
        done = bytes;
        total = of;
        return !cancelled;
    }

    // Runs `work` on a thread of its own, then `over` on that thread. Where no thread can be
    // had, the work runs here and is over on return: the window waits, but the copy is made.
    void start(const std::function<void(CopyProgress&)>& work, std::function<void()> over) {
        try {
            thread_ = std::thread([this, &work, over = std::move(over)] {
                try {
                    work(*this);
                } catch (...) {
                    fault_ = std::current_exception();
                }
                finished = true;
                over();
            });
        } catch (const std::system_error&) {
            work(*this);
            finished = true;
        }
    }

    // Cancels the copy and gives it a moment to end, its temporary file removed: the session
    // may end the program as soon as the window has closed.
    void cancelAndWait() {
        cancelled = true;
        for (int waited = 0; waited < 200 && !finished; ++waited) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    // Waits for the thread; a fault of the work's goes on from here.
    void finish() {
        if (thread_.joinable()) {
            thread_.join();
        }
        if (fault_) {
            std::rethrow_exception(std::exchange(fault_, nullptr));
        }
    }

    std::atomic<std::uint64_t> done{0};
    std::atomic<std::uint64_t> total{0};
    std::atomic<bool> cancelled{false};
    std::atomic<bool> finished{false};

private:
    std::thread thread_;
    std::exception_ptr fault_;
};

}  // namespace zorvik
