// The transaction under every backend: each step failing in turn (the restore included), or
// reported done while undone; links; the sweep of abandoned temporaries; a copy's progress.
#include <algorithm>
#include <memory>
#include <optional>

#include "melody_library/melody_move.h"
#include "platform/elevated/remote_file_steps.h"
#include "platform/elevated/step_protocol.h"
#include "platform/windows_path.h"
#include "tests/contract/file_system_fixture.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/step_faults.h"

namespace zorvik::testing {
namespace {

constexpr const char* kMelody = "the melody";
constexpr const char* kOlder = "an older one";

class FileTransactionContract : public FileSystemContract {
protected:
    bool mentions(const Status& status, std::string_view text) const {
        return !status.ok() && status.failure().message.find(text) != std::string::npos;
    }
    // The older namesake's content somewhere in `folder`, under a name the message gives where
    // it is not the destination's own.
    bool olderKept(const std::string& folder, const Status& status) {
        for (const auto& name : machine->namesIn(folder)) {
            if (machine->readFile(folder + "\\" + name) == kOlder &&
                (name == "x.wav" || mentions(status, name))) {
                return true;
            }
        }
        return false;
    }
    // Settled by the move's own settling, its changes taking the machine's steps of the moment.
    Status settle(const MoveRecord& move) {
        return settleMove(files(), files().rights().changeSteps(), move);
    }
    static bool hasTemporary(const std::vector<std::string>& names) {
        return std::any_of(names.begin(), names.end(), [](const std::string& name) {
            return name.rfind(".zorvik-copy-", 0) == 0;
        });
    }
};

// The machine's steps through the elevated channel's messages, one change refused once as in
// use: a settle's removal of its source, of the file kept aside, or the put back of that file.
struct RefusedOnce final : elevated::StepTransport {
    RefusedOnce(TransactionalFileSystem& machine, FileStep step)
        : files(machine), refused(step), steps(*this, machine.steps()) {}
    Result<std::string> exchange(const std::string& request) override {
        const auto call = static_cast<elevated::StepCall>(request.at(0));
        const bool kept = request.find(".zorvik-kept-") != std::string::npos;
        if (refused &&
            (call == elevated::StepCall::PutBack ? *refused == FileStep::Restore
                                                 : call == elevated::StepCall::RemoveFile &&
                                                       kept == (*refused == FileStep::DropKept))) {
            refused.reset();
            return elevated::MessageWriter().status(Failure{ErrorCode::InUse, {}}).take();
        }
        return elevated::answerStep(files.steps(), request);
    }

    TransactionalFileSystem& files;
    std::optional<FileStep> refused;
    elevated::RemoteFileSteps steps;
};

enum class Operation { Copy, Convert, Move, MoveAcrossVolumes, Delete };

// Content made in place of the source's: the melody, its start written last, as a header is
// once the length is known.
struct MadeMelody final : ContentMaker {
    Status make(ContentOutput& out, CopyProgress*) override {
        const std::string_view melody = kMelody;
        const Status rest = out.write(4, melody.substr(4));
        return rest.ok() ? out.write(0, melody.substr(0, 4)) : rest;
    }
};

enum class Outcome {
    Done,         // the operation is whole
    AsBefore,     // refused, and both folders are exactly as they were
    Unconfirmed,  // reported done by the system, found undone: refused, nothing changed
    OlderKept,    // refused; the older namesake is back, or waits in a file the message names
    InBoth,       // the melody in both folders, said so; the older namesake kept and named
    SourceGone,   // the source vanished meanwhile: refused, the older namesake untouched
};

// A use of a file failing below the steps, where only the fake can make it fail.
struct UseFault {
    enum class Of { Source, DestinationFolder, Destination, Kept };
    std::optional<FakeFileSystem::Use> use;
    Of of = Of::Source;
    int skipped = 0;  // the uses of it that go well first
};

struct StepRow {
    const char* what;
    Operation operation;
    std::vector<FileStep> failing;  // each fails the first time it comes
    std::optional<FileStep> pretended;
    bool namesake;  // a file of the melody's name at the destination before
    Outcome outcome;
    bool sourceVanishes = false;  // taken by another program as the failing step comes
    UseFault useFails = {};
};

// A move's journal that only counts what it is told.
struct CountingJournal final : MoveJournal {
    Status recordMove(const MoveRecord& move) override {
        ++records;
        recorded = move;
        return refuse ? Status(Failure{ErrorCode::AccessDenied, "no journal"}) : Status::success();
    }
    void forgetMove() override { ++forgets; }
    int records = 0;
    int forgets = 0;
    bool refuse = false;
    MoveRecord recorded;
};

using enum FileStep;

// Every step of each operation fails in turn; afterwards the file is wholly where it was going,
// or everything is as it was, or (only when the undo fails too) nothing is lost and the box
// says where everything is.
TEST_P(FileTransactionContract, EveryStepFailingLeavesTheFilesWholeOrAsTheyWere) {
    const Operation copy = Operation::Copy, convert = Operation::Convert, move = Operation::Move,
                    across = Operation::MoveAcrossVolumes, remove = Operation::Delete;
    using enum Outcome;
    using enum FakeFileSystem::Use;
    constexpr auto Folder = UseFault::Of::DestinationFolder,
                   Destination = UseFault::Of::Destination;
    const StepRow rows[] = {
        {"copy", copy, {}, {}, true, Done},
        {"copy, no temporary", copy, {CreateTemporary}, {}, true, AsBefore},
        {"copy, no content", copy, {WriteContent}, {}, true, AsBefore},
        {"copy, no flush", copy, {FlushTemporary}, {}, true, AsBefore},
        {"copy, no rename", copy, {RenameIntoPlace}, {}, true, AsBefore},
        {"copy, folder not synced", copy, {SyncFolder}, {}, true, Done},
        {"convert", convert, {}, {}, true, Done},
        {"convert, no temporary", convert, {CreateTemporary}, {}, true, AsBefore},
        {"convert, no content", convert, {WriteContent}, {}, true, AsBefore},
        {"convert, no flush", convert, {FlushTemporary}, {}, true, AsBefore},
        {"convert, no rename", convert, {RenameIntoPlace}, {}, true, AsBefore},
        {"move", move, {}, {}, true, Done},
        {"move, no rename", move, {MoveInOneStep}, {}, true, AsBefore},
        {"move, rename said done", move, {}, MoveInOneStep, true, Unconfirmed},
        // not the very file at the destination: no rename made elsewhere, whatever the answer
        {"move, no rename, source gone", move, {MoveInOneStep}, {}, true, SourceGone, true},
        {"across", across, {}, {}, true, Done},
        {"across, new name", across, {}, {}, false, Done},
        {"across, no temporary", across, {CreateTemporary}, {}, true, AsBefore},
        {"across, no content", across, {WriteContent}, {}, true, AsBefore},
        {"across, no flush", across, {FlushTemporary}, {}, true, AsBefore},
        {"across, older not kept", across, {KeepAside}, {}, true, AsBefore},
        {"across, no rename", across, {RenameIntoPlace}, {}, true, AsBefore},
        {"across, no rename, new name", across, {RenameIntoPlace}, {}, false, AsBefore},
        {"across, no rename nor restore", across, {RenameIntoPlace, Restore}, {}, true, OlderKept},
        {"across, source stays", across, {RemoveSource}, {}, true, AsBefore},
        {"across, source stays, new name", across, {RemoveSource}, {}, false, AsBefore},
        {"across, removal said done", across, {}, RemoveSource, true, AsBefore},
        {"across, source stays, no restore", across, {RemoveSource, Restore}, {}, true, InBoth},
        {"across, source stays, copy stays", across, {RemoveSource, Restore}, {}, false, InBoth},
        {"across, source stays, copy's removal said done",
         across,
         {RemoveSource},
         Restore,
         false,
         InBoth},
        {"across, restore never needed", across, {Restore}, {}, true, Done},
        {"across, folders not synced", across, {SyncFolder}, {}, true, Done},
        {"delete", remove, {}, {}, false, Done},
        {"delete refused", remove, {RemoveFile}, {}, false, AsBefore},
        {"delete said done", remove, {}, RemoveFile, false, Unconfirmed},
        {"delete, folder not synced", remove, {SyncFolder}, {}, false, Done},
        {"copy, source not seen", copy, {}, {}, true, AsBefore, false, {Look}},
        {"copy, folder not seen", copy, {}, {}, true, AsBefore, false, {Look, Folder}},
        {"copy, older not seen", copy, {}, {}, true, AsBefore, false, {Look, Destination}},
        {"copy, source not opened", copy, {}, {}, true, AsBefore, false, {Open}},
        {"copy, source not read", copy, {}, {}, true, AsBefore, false, {Read}},
        {"move, source not seen", move, {}, {}, true, AsBefore, false, {Look}},
        {"across, source not opened", across, {}, {}, true, AsBefore, false, {Open}},
        {"across, source not read", across, {}, {}, false, AsBefore, false, {Read}},
        {"across, older not seen again",
         across,
         {},
         {},
         true,
         AsBefore,
         false,
         {Look, Destination, 1}},
        {"delete, not seen", remove, {}, {}, false, AsBefore, false, {Look}},
    };
    auto* const fake = dynamic_cast<FakeFileSystem*>(&files());
    int number = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        if (row.useFails.use && fake == nullptr) {
            continue;
        }
        const std::string from = root + "\\A" + std::to_string(++number);
        const std::string to = root + "\\B" + std::to_string(number);
        machine->makeFolder(from);
        machine->makeFolder(to);
        const std::string source = from + "\\x.wav";
        const std::string destination = to + "\\x.wav";
        machine->writeFile(source, row.operation == convert ? "a sound" : kMelody);
        const bool moving = row.operation == move || row.operation == across;
        if (moving) {
            machine->setReadOnly(source, true);  // a read-only melody moves, as on Windows
        }
        if (row.namesake) {
            machine->writeFile(destination, kOlder);
        }
        const std::string before = names(from) + "|" + names(to);
        if (row.useFails.use) {
            const std::string& of = row.useFails.of == UseFault::Of::Source        ? source
                                    : row.useFails.of == UseFault::Of::Destination ? destination
                                                                                   : to;
            fake->failUse(*row.useFails.use, files().hostPath(of).value(), ErrorCode::Io,
                          row.useFails.skipped);
        }
        auto failing = std::make_shared<std::vector<FileStep>>(row.failing);
        auto pretended = std::make_shared<std::optional<FileStep>>(row.pretended);
        setStepFaults(files(), [=, this](FileStep step) -> std::optional<StepFault> {
            if (row.operation == across && step == MoveInOneStep) {
                return stepFails(ErrorCode::NotSameVolume);
            }
            if (*pretended == step) {
                pretended->reset();
                return stepPretendedDone();
            }
            if (const auto found = std::find(failing->begin(), failing->end(), step);
                found != failing->end()) {
                failing->erase(found);
                if (row.sourceVanishes) {
                    (void)files().steps().removeFile(files().hostPath(source).value(), true);
                }
                return stepFails(ErrorCode::AccessDenied);
            }
            return std::nullopt;
        });
        Status done;
        CountingJournal journal;
        switch (row.operation) {
            case Operation::Copy:
                done = copyFile(files(), source, destination);
                break;
            case Operation::Convert: {
                MadeMelody maker;
                auto prepared = files().prepareCopy(source, destination, nullptr, &maker);
                done = prepared.ok() ? prepared.value()->commit() : Status(prepared.failure());
                break;
            }
            case Operation::Move:
            case Operation::MoveAcrossVolumes:
                done = files().moveFile(source, destination, &journal);
                break;
            case Operation::Delete:
                done = files().deleteFile(source);
                break;
        }
        setStepFaults(files(), nullptr);
        // an older namesake left aside stays named by the journal, for the next start to settle
        const auto& left = machine->namesIn(to);
        const bool keptLeft = std::any_of(left.begin(), left.end(), [](const std::string& name) {
            return name.rfind(".zorvik-kept-", 0) == 0;
        });
        EXPECT_EQ(journal.records - journal.forgets, keptLeft ? 1 : 0);
        const auto after = [&] { return names(from) + "|" + names(to); };
        switch (row.outcome) {
            case Outcome::Done:
                ASSERT_TRUE(done.ok()) << done.failure().message;
                if (row.operation == remove) {
                    EXPECT_EQ(after(), "|");
                    break;
                }
                EXPECT_EQ(after(), (moving ? "|" : "x.wav|") + std::string("x.wav"));
                EXPECT_EQ(machine->readFile(destination), kMelody);
                if (moving) {
                    const Status stillReadOnly = files().deleteFile(destination);
                    EXPECT_EQ(stillReadOnly.ok() ? ErrorCode::Other : stillReadOnly.code(),
                              ErrorCode::ReadOnly)
                        << "a moved file stays read-only";
                }
                break;
            case Outcome::AsBefore:
            case Outcome::Unconfirmed:
                ASSERT_FALSE(done.ok());
                EXPECT_EQ(after(), before);
                EXPECT_EQ(machine->readFile(source),
                          row.operation == convert ? "a sound" : kMelody);
                EXPECT_EQ(machine->readFile(destination),
                          row.namesake ? std::optional<std::string>(kOlder) : std::nullopt);
                EXPECT_TRUE(mentions(done, "„" + source + "“")) << done.failure().message;
                if (row.useFails.use) {
                    EXPECT_EQ(done.code(), ErrorCode::Io) << done.failure().message;
                }
                if (row.outcome == Outcome::Unconfirmed) {
                    EXPECT_TRUE(mentions(done, "още на мястото си")) << done.failure().message;
                } else if (moving) {
                    EXPECT_TRUE(mentions(done, "Двете папки остават, каквито бяха."))
                        << done.failure().message;
                }
                break;
            case Outcome::OlderKept:
                ASSERT_FALSE(done.ok());
                EXPECT_EQ(machine->readFile(source), kMelody);
                EXPECT_TRUE(olderKept(to, done)) << done.failure().message;
                EXPECT_FALSE(hasTemporary(machine->namesIn(to)));
                break;
            case Outcome::SourceGone:
                ASSERT_FALSE(done.ok());
                EXPECT_EQ(machine->readFile(destination), kOlder);
                break;
            case Outcome::InBoth:
                ASSERT_FALSE(done.ok());
                EXPECT_EQ(machine->readFile(source), kMelody);
                EXPECT_EQ(machine->readFile(destination), kMelody);
                EXPECT_TRUE(mentions(done, "и в двете папки")) << done.failure().message;
                EXPECT_TRUE(!row.namesake || olderKept(to, done)) << done.failure().message;
                EXPECT_FALSE(hasTemporary(machine->namesIn(to)));
                break;
        }
    }
}

// A link is deleted or moved as itself, or refused with a box that says it is a link; the file
// it points to never changes. Choosing it copies the content it points to.
TEST_P(FileTransactionContract, ALinkIsDeletedOrMovedAsItselfOrNotAtAll) {
    const std::string target = other + "\\song.wav";
    machine->writeFile(target, "the song");
    int number = 0;
    for (const Operation operation :
         {Operation::Copy, Operation::Delete, Operation::Move, Operation::MoveAcrossVolumes}) {
        SCOPED_TRACE(static_cast<int>(operation));
        const std::string from = root + "\\L" + std::to_string(++number);
        const std::string to = root + "\\M" + std::to_string(number);
        machine->makeFolder(from);
        machine->makeFolder(to);
        const std::string link = from + "\\x.wav";
        if (!machine->symbolicLink(target, link)) {
            GTEST_SKIP() << "no symbolic links here";
        }
        setStepFaults(files(), [&](FileStep step) -> std::optional<StepFault> {
            if (operation == Operation::MoveAcrossVolumes && step == MoveInOneStep) {
                return stepFails(ErrorCode::NotSameVolume);
            }
            return std::nullopt;
        });
        const std::string moved = to + "\\x.wav";
        const Status done = operation == Operation::Copy     ? copyFile(files(), link, moved)
                            : operation == Operation::Delete ? files().deleteFile(link)
                                                             : files().moveFile(link, moved);
        setStepFaults(files(), nullptr);
        EXPECT_EQ(machine->readFile(target), "the song");
        EXPECT_EQ(names(other), "song.wav");
        if (operation == Operation::Copy) {
            ASSERT_TRUE(done.ok()) << done.failure().message;
            EXPECT_EQ(machine->readFile(moved), "the song");
        } else if (done.ok()) {
            EXPECT_EQ(names(from), "");
            EXPECT_EQ(names(to), operation == Operation::Delete ? "" : "x.wav");
            EXPECT_NE(operation, Operation::MoveAcrossVolumes) << "a link is no file to copy";
        } else {
            EXPECT_EQ(done.code(), ErrorCode::Unsupported) << done.failure().message;
            EXPECT_TRUE(mentions(done, "символна връзка")) << done.failure().message;
            EXPECT_TRUE(mentions(done, "x.wav")) << done.failure().message;
            EXPECT_EQ(names(from), "x.wav");
            EXPECT_EQ(names(to), "");
        }
    }
}

// A move is recorded only where a kill could cut it in two: across volumes, from before its copy
// takes the destination's place until it is whole. Refused by the journal, it changes nothing.
// Settling a cut-short move removes the source only where the destination holds the very same
// bytes; anything else is left as it is.
TEST_P(FileTransactionContract, AMoveCutInTwoIsRecordedAndFinishedOnlyOverAWholeCopy) {
    const struct {
        const char* what;
        bool acrossVolumes;
        bool refuse;
        int records;
        bool moved;
        bool namesake = false;
        bool keptStays = false;  // the older one kept aside will not go: the journal stays
    } moves[] = {
        {"in one step", false, false, 0, true},
        {"across volumes", true, false, 1, true},
        {"across volumes, no journal", true, true, 1, false},
        {"across volumes, over an older one", true, false, 1, true, true},
        {"across volumes, the older one stays aside", true, false, 1, true, true, true},
    };
    for (const auto& row : moves) {
        SCOPED_TRACE(row.what);
        machine->writeFile(rings + "\\x.wav", kMelody);
        if (row.namesake) {
            machine->writeFile(other + "\\x.wav", kOlder);
        }
        setStepFaults(files(), [&](FileStep step) -> std::optional<StepFault> {
            if (row.acrossVolumes && step == MoveInOneStep) {
                return stepFails(ErrorCode::NotSameVolume);
            }
            if (row.keptStays && step == DropKept) {
                return stepFails(ErrorCode::Other);
            }
            return std::nullopt;
        });
        CountingJournal journal;
        journal.refuse = row.refuse;
        const Status done = files().moveFile(rings + "\\x.wav", other + "\\x.wav", &journal);
        setStepFaults(files(), nullptr);
        EXPECT_EQ(done.ok(), row.moved);
        EXPECT_EQ(journal.records, row.records);
        EXPECT_EQ(journal.forgets, row.moved && !row.keptStays ? row.records : 0);
        EXPECT_EQ(journal.recorded.kept.rfind(other + "\\.zorvik-kept-", 0) == 0, row.namesake)
            << journal.recorded.kept;
        if (row.keptStays) {
            EXPECT_TRUE(settle(journal.recorded).ok());
        }
        EXPECT_EQ(names(rings) + "|" + names(other), row.moved ? "|x.wav" : "x.wav|");
        (void)files().deleteFile(other + "\\x.wav");
    }
    // What was kept aside goes back where the copy never took its place, and goes once the
    // move is whole or where it is a second name of the destination that never left. Only the
    // very files the move recorded are acted on: not a melody of the same bytes that the user
    // keeps in the other folder, nor another file under the kept name (a journal restored from
    // a backup names yesterday's files).
    enum class Kept { None, Copy, Link };
    using enum FakeFileSystem::Use;
    constexpr auto Source = UseFault::Of::Source, Destination = UseFault::Of::Destination;
    const auto failed = [](FakeFileSystem::Use use, UseFault::Of of) { return UseFault{use, of}; };
    const std::string keptPath = other + "\\.zorvik-kept-0a.tmp";
    const auto stampAt = [&](const std::string& path) {
        return files()
            .steps()
            .inspect(files().hostPath(path).value(), LinkHandling::Itself)
            .value()
            .stamp();
    };
    const struct {
        const char* what;
        const char* destination;  // nullptr: none
        bool readOnly;
        const char* left;  // what stays in the source's folder
        Kept kept = Kept::None;
        const char* arrived = nullptr;     // what the destination holds after; nullptr: as before
        bool copyRecorded = true;          // the destination is the copy the move made
        bool keptRecorded = true;          // the kept file is the older one the move kept aside
        const char* otherAfter = nullptr;  // the destination's folder after, where more than it
        bool sourceGone = false;
        // the finishing fails at this step, or at this use of a file (only the fake fails one),
        // the first time, for an ordinary reason: nothing is lost, and the next try finishes as
        // if it had not failed
        std::optional<FileStep> failing = std::nullopt;
        UseFault useFails = {};
    } settles[] = {
        {"the same melody arrived", kMelody, false, ""},
        {"the same melody, read-only", kMelody, true, ""},
        {"another melody there", kOlder, false, "x.wav"},
        {"a shorter copy there", "the melo", false, "x.wav"},
        {"as long, another ending", "the melodY", false, "x.wav"},
        {"a longer one that starts with it", "the melody, and more", false, "x.wav"},
        {"nothing arrived", nullptr, false, "x.wav"},
        {"arrived, the older aside", kMelody, false, "", Kept::Copy},
        {"the older stepped aside, nothing arrived", nullptr, false, "x.wav", Kept::Copy, kOlder},
        {"the older kept as a second name", kOlder, false, "x.wav", Kept::Link},
        {"the same melody, not the move's copy", kMelody, false, "x.wav", Kept::None, nullptr,
         false},
        {"another file under the kept name", nullptr, false, "x.wav", Kept::Copy, nullptr, true,
         false, ".zorvik-kept-0a.tmp"},
        {"the source gone, another file there", "someone's", false, "", Kept::Copy, nullptr, false,
         true, ".zorvik-kept-0a.tmp x.wav", true},
        {"the same melody arrived, its source held", kMelody, true, "", Kept::None, nullptr, true,
         true, nullptr, false, RemoveSource},
        {"arrived, the older aside, held", kMelody, false, "", Kept::Copy, nullptr, true, true,
         nullptr, false, DropKept},
        {"the older stepped aside, its place refused", nullptr, false, "x.wav", Kept::Copy, kOlder,
         true, true, nullptr, false, Restore},
        {"the same melody arrived, its source not seen", kMelody, false, "", Kept::None, nullptr,
         true, true, nullptr, false, std::nullopt, failed(Look, Source)},
        {"the same melody arrived, its copy not seen", kMelody, false, "", Kept::None, nullptr,
         true, true, nullptr, false, std::nullopt, failed(Look, Destination)},
        {"the same melody arrived, its copy not opened", kMelody, false, "", Kept::None, nullptr,
         true, true, nullptr, false, std::nullopt, failed(Open, Destination)},
        {"the same melody arrived, its source not read", kMelody, false, "", Kept::None, nullptr,
         true, true, nullptr, false, std::nullopt, failed(Read, Source)},
        {"the same melody arrived, its source not opened", kMelody, false, "", Kept::None, nullptr,
         true, true, nullptr, false, std::nullopt, failed(Open, Source)},
        {"the same melody arrived, its copy not read", kMelody, false, "", Kept::None, nullptr,
         true, true, nullptr, false, std::nullopt, failed(Read, Destination)},
        {"arrived, the older aside, it not seen", kMelody, false, "", Kept::Copy, nullptr, true,
         true, nullptr, false, std::nullopt, failed(Look, UseFault::Of::Kept)},
    };
    auto* const fake = dynamic_cast<FakeFileSystem*>(&files());
    for (const auto& row : settles) {
        SCOPED_TRACE(row.what);
        if (row.useFails.use && fake == nullptr) {
            continue;  // only the fake fails a use of a file on demand
        }
        if (!row.sourceGone) {
            machine->writeFile(rings + "\\x.wav", kMelody);
            machine->setReadOnly(rings + "\\x.wav", row.readOnly);
        }
        MoveRecord move{rings + "\\x.wav", other + "\\x.wav", "", {}, {}};
        if (row.destination != nullptr) {
            machine->writeFile(other + "\\x.wav", row.destination);
            move.copy = row.kept == Kept::Link || !row.copyRecorded ? FileStamp{}
                                                                    : stampAt(move.destination);
        }
        if (row.kept == Kept::Link && !machine->hardLink(other + "\\x.wav", keptPath)) {
            continue;  // no hard links here
        }
        if (row.kept == Kept::Copy) {
            machine->writeFile(keptPath, kOlder);
        }
        if (row.kept != Kept::None) {
            move.kept = keptPath;
            move.older = row.keptRecorded ? stampAt(keptPath) : FileStamp{};
        }
        if (row.failing || row.useFails.use) {
            Status refused = Status::success();
            if (row.failing) {
                RefusedOnce refusing(files(), *row.failing);
                refused = settleMove(files(), refusing.steps, move);
            } else {
                const std::string& of = row.useFails.of == UseFault::Of::Source ? move.source
                                        : row.useFails.of == UseFault::Of::Kept ? keptPath
                                                                                : move.destination;
                fake->failUse(*row.useFails.use, files().hostPath(of).value(), ErrorCode::InUse);
                refused = settle(move);
            }
            EXPECT_EQ(refused.ok() ? ErrorCode::Other : refused.code(), ErrorCode::InUse);
            EXPECT_TRUE(machine->readFile(move.source) == kMelody ||
                        machine->readFile(move.destination) == kMelody);
            EXPECT_EQ(machine->readFile(keptPath),
                      row.kept == Kept::Copy ? std::optional<std::string>(kOlder) : std::nullopt);
        }
        const Status settled = settle(move);
        EXPECT_TRUE(settled.ok()) << settled.failure().message;
        EXPECT_EQ(names(rings), row.left);
        const bool arrived = row.destination != nullptr || row.arrived != nullptr;
        EXPECT_EQ(names(other), row.otherAfter != nullptr ? row.otherAfter
                                : arrived                 ? "x.wav"
                                                          : "")
            << "nothing kept aside stays";
        if (const char* now = row.arrived != nullptr ? row.arrived : row.destination) {
            EXPECT_EQ(machine->readFile(other + "\\x.wav"), now);
            (void)files().deleteFile(other + "\\x.wav");
        }
        if (row.otherAfter != nullptr) {
            EXPECT_EQ(machine->readFile(keptPath), kOlder);
            (void)files().steps().removeFile(files().hostPath(keptPath).value(), true);
        }
        if (!names(rings).empty()) {
            machine->setReadOnly(rings + "\\x.wav", false);
            (void)files().deleteFile(rings + "\\x.wav");
        }
    }
    EXPECT_TRUE(settle({rings + "\\gone.wav", other + "\\gone.wav", "", {}, {}}).ok())
        << "a move whose source went is whole";
    machine->writeFile(rings + "\\x.wav", kMelody);
    if (machine->hardLink(rings + "\\x.wav", other + "\\x.wav")) {
        const MoveRecord oneFile{
            rings + "\\x.wav", other + "\\x.wav", "", stampAt(other + "\\x.wav"), {}};
        EXPECT_EQ(settle(oneFile).code(), ErrorCode::Corrupt)
            << "one file under both names is no move to finish";
        EXPECT_EQ(names(rings) + "|" + names(other), "x.wav|x.wav");
    }
}

// A sweep takes only the temporaries no live writer holds: another instance may be midway. And
// only names exactly as the program gives them: a pattern also meets a user's file, or a short
// name, that merely starts and ends alike.
TEST_P(FileTransactionContract, ASweepLeavesTheTemporaryOfALiveWriter) {
    const auto folder = files().hostPath(rings);
    ASSERT_TRUE(folder.ok());
    const auto held = files().steps().createTemporary(folder.value());
    ASSERT_TRUE(held.ok()) << held.failure().message;
    const std::string heldName(winpath::fileName(held.value()));
    machine->writeFile(rings + "\\.zorvik-copy-abandoned.tmp", "killed midway");
    machine->writeFile(rings + "\\a.wav", "a");
    machine->writeFile(rings + "\\.zorvik-copy-" + std::string(32, 'a') + ".tmp", "the longest");
    std::vector<std::string> expected = {".zorvik-copy-my notes.tmp", ".zorvik-copy-.tmp",
                                         ".zorvik-copy-" + std::string(33, 'a') + ".tmp",
                                         ".zorvik-copy-a.tmp.bak", ".zorvik-kept-older.tmp"};
    for (const std::string& usersOwn : expected) {
        machine->writeFile(rings + "\\" + usersOwn, "the user's");
    }
    files().removeAbandonedTemporaries(rings);
    expected.push_back("a.wav");
    std::sort(expected.begin(), expected.end());
    const std::vector<std::string> left = expected;
    expected.push_back(heldName);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(machine->namesIn(rings), expected);
    files().steps().removeTemporary(held.value());
    EXPECT_EQ(machine->namesIn(rings), left);
}

class Recorded final : public CopyProgress {
public:
    explicit Recorded(int stopAfter) : stopAfter_(stopAfter) {}
    bool copied(std::uint64_t done, std::uint64_t total) override {
        steps.emplace_back(done, total);
        return static_cast<int>(steps.size()) != stopAfter_;
    }
    std::vector<std::pair<std::uint64_t, std::uint64_t>> steps;

private:
    int stopAfter_;
};

// A large copy tells how far it has come, up to the whole; cancelled, it leaves everything as it
// was and no temporary behind.
TEST_P(FileTransactionContract, ACopyTellsItsProgressAndCancelledLeavesNothing) {
    const std::string big(3 * 1024 * 1024 + 5, 'm');
    machine->writeFile(other + "\\big.wav", big);
    machine->writeFile(rings + "\\Phone.wav", "old");
    Recorded cancelled(2);
    const auto refused =
        files().prepareCopy(other + "\\big.wav", rings + "\\Phone.wav", &cancelled);
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.failure().code, ErrorCode::Cancelled);
    EXPECT_EQ(cancelled.steps.size(), 2u);
    EXPECT_EQ(names(rings), "Phone.wav");
    EXPECT_EQ(machine->readFile(rings + "\\Phone.wav"), "old");

    Recorded whole(0);
    auto prepared = files().prepareCopy(other + "\\big.wav", rings + "\\Phone.wav", &whole);
    ASSERT_TRUE(prepared.ok()) << prepared.failure().message;
    ASSERT_TRUE(prepared.value()->commit().ok());
    EXPECT_EQ(machine->readFile(rings + "\\Phone.wav"), big);
    ASSERT_GE(whole.steps.size(), 2u);
    EXPECT_TRUE(std::is_sorted(whole.steps.begin(), whole.steps.end()));
    EXPECT_EQ(whole.steps.back(),
              std::make_pair(std::uint64_t{big.size()}, std::uint64_t{big.size()}));
}

INSTANTIATE_TEST_SUITE_P(Backends, FileTransactionContract,
                         ::testing::ValuesIn(fileSystemBackends()),
                         [](const auto& backend) { return backend.param.name; });

}  // namespace
}  // namespace zorvik::testing
