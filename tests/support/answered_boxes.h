#pragma once

#include <algorithm>
#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "main_window/desktop.h"
#include "platform/message_box_service.h"
#include "platform/platform_services.h"

namespace zorvik::testing {

// The program's real boxes, answered from a queue while it holds answers, so that no box waits
// for a person (an error or a notice too, unshown); once it is empty, the real box shows. The
// messages it answered are kept, in order.
class AnsweredBoxes final : public MessageBoxService {
public:
    explicit AnsweredBoxes(MessageBoxService& real) : real_(real) {}

    // nullopt: a box that could not be shown
    void queue(std::optional<int> answer, int times = 1) {
        answers_.insert(answers_.end(), static_cast<std::size_t>(std::max(times, 0)), answer);
    }
    void clear() {
        answers_.clear();
        answered_.clear();
    }
    const std::vector<std::string>& answered() const { return answered_; }

    std::optional<int> confirm(std::string_view message, std::string_view title) override {
        auto answer = take(message);
        return answer ? *answer : real_.confirm(message, title);
    }
    std::optional<int> confirmElevation(std::string_view message, std::string_view title) override {
        auto answer = take(message);
        return answer ? *answer : real_.confirmElevation(message, title);
    }
    std::optional<int> retryOrCancel(std::string_view message, std::string_view title) override {
        auto answer = take(message);
        return answer ? *answer : real_.retryOrCancel(message, title);
    }
    void showError(std::string_view message, std::string_view title) override {
        if (!take(message)) {
            real_.showError(message, title);
        }
    }
    void showNotice(std::string_view message, std::string_view title) override {
        if (!take(message)) {
            real_.showNotice(message, title);
        }
    }
    void dismiss() override { real_.dismiss(); }

private:
    std::optional<std::optional<int>> take(std::string_view message) {
        if (answers_.empty()) {
            return std::nullopt;
        }
        const auto answer = answers_.front();
        answers_.pop_front();
        answered_.emplace_back(message);
        return answer;
    }

    MessageBoxService& real_;
    std::deque<std::optional<int>> answers_;
    std::vector<std::string> answered_;
};

// A desktop whose boxes are answered as above, and everything else its own.
class AnsweredDesktop final : public Desktop, private PlatformServices {
public:
    explicit AnsweredDesktop(std::unique_ptr<Desktop> real)
        : real_(std::move(real)), boxes_(real_->services().messageBox()) {}

    Desktop& real() { return *real_; }
    AnsweredBoxes& boxes() { return boxes_; }

    PlatformServices& services() override { return *this; }
    bool open(Form1& form) override { return real_->open(form); }
    int dispatchUntilClosed() override { return real_->dispatchUntilClosed(); }

private:
    PlatformServices& of() { return real_->services(); }
    FileSystem& files() override { return of().files(); }
    FileRights& fileRights() override { return of().fileRights(); }
    Registry& settingsStore() override { return of().settingsStore(); }
    std::string applicationFolder() const override { return real_->services().applicationFolder(); }
    MessageBoxService& messageBox() override { return boxes_; }
    OpenFileDialog& openFileDialog() override { return of().openFileDialog(); }
    Player& player() override { return of().player(); }
    sound::SoundDecoder& soundDecoder() override { return of().soundDecoder(); }
    PopupMenu& popupMenu() override { return of().popupMenu(); }
    InterprocessLock& ringChoiceLock() override { return of().ringChoiceLock(); }
    ProgressService& progress() override { return of().progress(); }
    Elevation& elevation() override { return of().elevation(); }

    std::unique_ptr<Desktop> real_;
    AnsweredBoxes boxes_;
};

}  // namespace zorvik::testing
