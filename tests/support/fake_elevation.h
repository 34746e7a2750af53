#pragma once

#include <memory>
#include <optional>

#include "platform/elevated/guarded_file_steps.h"
#include "platform/elevated/remote_file_steps.h"
#include "platform/elevated/step_protocol.h"
#include "platform/elevation.h"
#include "platform/install_folder.h"
#include "platform/windows_path.h"
#include "tests/support/fake_file_system.h"

namespace zorvik::testing {

// The elevated process on the machine in memory: the administrator's steps behind the same guard
// and the same messages as the real one, each request answered at once.
class FakeElevation final : public Elevation {
public:
    enum class Answer { Consent, Decline, FailToStart };

    explicit FakeElevation(FakeFileSystem& files) : files_(files) {}

    bool available() const override { return availableHere; }
    Result<std::unique_ptr<ElevatedRun>> start() override {
        ++starts;
        if (answer == Answer::Decline) {
            return Failure{ErrorCode::Cancelled, {}};
        }
        if (answer == Answer::FailToStart) {
            return Failure{ErrorCode::NotAvailable, "програмата не се стартира"};
        }
        return std::unique_ptr<ElevatedRun>(std::make_unique<Run>(*this));
    }

    bool availableHere = false;  // as on a host that asks no one for rights
    Answer answer = Answer::Consent;
    // the elevated process ends unasked after answering this many requests; with
    // `lastCarriedOut`, after carrying out the next one too, but before it says so
    std::optional<int> answersBeforeGone;
    bool lastCarriedOut = false;
    int starts = 0;
    int ends = 0;

private:
    class Run final : public ElevatedRun, public elevated::StepTransport {
    public:
        explicit Run(FakeElevation& owner)
            : owner_(owner),
              guard_(owner.files_.administratorSteps(),
                     {install::kFolder, std::string(install::kRingsFolder),
                      std::string(install::kDeletedFolder),
                      std::string(winpath::fileName(install::kRingFile))}),
              remote_(*this, owner.files_.steps()) {}
        FileSteps& steps() override { return remote_; }
        void end() override { ++owner_.ends; }
        Result<std::string> exchange(const std::string& request) override {
            if (owner_.answersBeforeGone && answered_++ >= *owner_.answersBeforeGone) {
                if (owner_.lastCarriedOut && answered_ == *owner_.answersBeforeGone + 1) {
                    (void)elevated::answerStep(guard_, request);
                }
                return elevated::brokenExchange();
            }
            return elevated::answerStep(guard_, request);
        }

    private:
        FakeElevation& owner_;
        elevated::GuardedFileSteps guard_;
        elevated::RemoteFileSteps remote_;
        int answered_ = 0;
    };

    FakeFileSystem& files_;
};

}  // namespace zorvik::testing
