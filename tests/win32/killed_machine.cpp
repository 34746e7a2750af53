#include "tests/win32/killed_machine.h"

#include <windows.h>

#include <optional>
#include <stdexcept>

#include "platform/message_box_service.h"
#include "platform/win32/wide_text.h"
#include "tests/support/step_faults.h"
#include "tests/win32/scratch.h"

namespace zorvik::testing {

namespace {

constexpr char kSettingsKey[] = "Zorvik\\Setings";
constexpr char kJournalKey[] = "Software\\Zorvik Melodies";

// A mutex of the machine's own, so that tests running at once never wait for each other.
std::wstring lockName(const std::string& folder) {
    return L"Local\\Zorvik.killed-midway." +
           win32::toWideLossy(folder.substr(folder.find_last_of('\\') + 1));
}

}  // namespace

Result<std::vector<std::string>> ScratchDrive::listMelodies(std::string_view folder) const {
    auto host = hostPath(folder);
    if (!host.ok()) {
        return host.failure();
    }
    return real_.listMelodies(host.value());
}

Result<std::string> ScratchDrive::hostPath(std::string_view path) const {
    if (path.size() < 3 || (path[0] != 'C' && path[0] != 'c') || path.substr(1, 2) != ":\\") {
        return Failure{ErrorCode::InvalidName, "not on the test's drive C:"};
    }
    return real_.hostPath(driveC_ + "\\" + std::string(path.substr(3)));
}

KilledMachine::KilledMachine(KilledOperation operation, const std::string& folder,
                             const std::string& branch, int killAt)
    : install(folder + "\\drive_c\\Program Files\\Zorvik"),
      rings(install + "\\Rings"),
      deleted(rings + "\\Deleted"),
      files(folder + "\\drive_c"),
      registry(realRegistry, branch),
      operation_(operation),
      killAt_(killAt),
      counted_(registry, [this] { step(); }),
      shells_(counted_),
      lock_(lockName(folder), kInterprocessLockPatience) {
    setStepFaults(files, [this](FileStep fileStep) {
        step();
        if (refusing_) {
            return std::optional(stepFails(ErrorCode::AccessDenied));
        }
        // Deleted on a volume of its own: the move copies, then removes the source
        return operation_ != KilledOperation::RingChoice && fileStep == FileStep::MoveInOneStep
                   ? std::optional(stepFails(ErrorCode::NotSameVolume))
                   : std::optional<StepFault>();
    });
}

void KilledMachine::prepare() {
    makeFolders(deleted);
    writeBytes(rings + "\\old.wav", "old melody");
    writeBytes(rings + "\\new.wav", "new melody");
    writeBytes(install + "\\Phone.wav", "old melody");
    if (operation_ == KilledOperation::MoveOverOlder) {
        writeBytes(deleted + "\\new.wav", "an older one");
    }
    const ValueChange record[] = {
        {"AudioPath", RegistryValue::string("C:\\Program Files\\Zorvik\\Rings")},
        {"RingSound", RegistryValue::string("old.wav")},
    };
    if (!registry.apply(kSettingsKey, record).ok()) {
        throw std::runtime_error("cannot record the ring melody");
    }
}

void KilledMachine::openRefusingChanges() {
    counted_.refusedKey = kSettingsKey;
    refusing_ = true;
    open();
    counted_.refusedKey.clear();
    refusing_ = false;
}

void KilledMachine::run() {
    open();
    if (operation_ != KilledOperation::RingChoice) {
        form->clickCheck2();
    }
    clickEntry("new.wav");
    box.answer(kAnswerOk);
    if (operation_ != KilledOperation::RingChoice) {
        form->Command3_Click();
    } else {
        form->Command2_Click();
    }
}

std::string KilledMachine::agreedRingMelody() {
    const auto name = registry.read(kSettingsKey, "RingSound");
    if (!name.ok()) {
        return {};
    }
    const auto ringFile = readBytes(install + "\\Phone.wav");
    if (!ringFile || ringFile != readBytes(rings + "\\" + name.value().text)) {
        return {};
    }
    if (listing(install) != "Phone.wav Rings" ||
        registry.read(kJournalKey, "RingChoiceUnderWay").ok()) {
        return {};
    }
    return name.value().text;
}

std::string KilledMachine::whereTheMovedMelodyIs() {
    if (registry.read(kJournalKey, "MoveUnderWay").ok()) {
        return {};
    }
    const std::string inRings = listing(rings);
    const std::string inDeleted = listing(deleted);
    const bool older = operation_ == KilledOperation::MoveOverOlder;
    if (inRings == "Deleted new.wav old.wav" && inDeleted == (older ? "new.wav" : "") &&
        readBytes(rings + "\\new.wav") == "new melody" &&
        (!older || readBytes(deleted + "\\new.wav") == "an older one")) {
        return "Rings";
    }
    if (inRings == "Deleted old.wav" && inDeleted == "new.wav" &&
        readBytes(deleted + "\\new.wav") == "new melody") {
        return "Deleted";
    }
    return {};
}

std::string KilledMachine::scene() {
    const auto journal = [this](const char* name) {
        return registry.read(kJournalKey, name).ok() ? std::string(" ") + name : std::string();
    };
    return "install folder: " + listing(install) + "; Rings: " + listing(rings) +
           "; Deleted: " + listing(deleted) +
           "; ring file: " + readBytes(install + "\\Phone.wav").value_or("(none)") +
           "; journal:" + journal("RingChoiceUnderWay") + journal("MoveUnderWay");
}

void KilledMachine::step() {
    if (++steps_ == killAt_) {
        TerminateProcess(GetCurrentProcess(), kKilledExitCode);
    }
}

}  // namespace zorvik::testing
