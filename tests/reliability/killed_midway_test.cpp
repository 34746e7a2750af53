// The ring file and its record, killed between any two steps of a choice: the next start finds
// them agreeing, both as they were or both new, and nothing left beside the ring file. And two
// copies of the program choosing at once never leave them apart. A move, on one volume or across
// two, killed at any step: the next start finds the melody in one folder, whole, and nothing
// left behind.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>

#include "file_transaction/file_transaction.h"
#include "tests/support/counted_registry.h"
#include "tests/support/forked_child.h"
#include "tests/support/posix_form_fixture.h"
#include "tests/support/sound_files.h"
#include "tests/support/step_faults.h"

namespace zorvik {
namespace {

using testing::CountedRegistry;
using testing::listing;
using testing::readFile;
using testing::setStepFaults;
using testing::stepFails;

// A machine whose program kills itself at its `killAt`th step (file steps and settings writes
// counted alike); 0 runs to the end.
class Machine : public testing::PosixFormFixture {
public:
    explicit Machine(int killAt = 0)
        : killAt_(killAt), counted_(registry, [this] { step(); }), countedShells_(counted_) {
        addMelody(rings, "old.wav", "old melody");
        addMelody(rings, "new.wav", "new melody");
        testing::writeFile(install / "Phone.wav", "old melody");
        writeStore(
            "\"AudioPath\"=\"C:\\\\Program "
            "Files\\\\Zorvik\\\\Rings\"\n\"RingSound\"=\"old.wav\"\n");
        setStepFaults(files, [this](FileStep fileStep) {
            step();
            if (refusing_) {
                return std::optional(stepFails(ErrorCode::AccessDenied));
            }
            // Deleted on a volume of its own: the move copies, then removes the source
            return acrossVolumes && fileStep == FileStep::MoveInOneStep
                       ? std::optional(stepFails(ErrorCode::NotSameVolume))
                       : std::optional<StepFault>();
        });
    }

    // A start whose finishing fails: the record and every file it would change refused for
    // want of rights; only its own journal may still be written.
    void openRefusingChanges() {
        counted_.refusedKey = "Zorvik\\Setings";
        refusing_ = true;
        open();
        counted_.refusedKey.clear();
        refusing_ = false;
    }

    void moveToDeleted(const std::string& melody) {
        if (namesake) {
            testing::writeFile(deleted / melody, "an older one");
        }
        open();
        form->clickCheck2();
        removeEntry(melody);
    }

    // Where the melody is, when it is whole in exactly one folder and nothing of a move is left:
    // "Rings" or "Deleted"; "" otherwise.
    std::string whereTheMovedMelodyIs() {
        if (registry.read("Software\\Zorvik Melodies", "MoveUnderWay").ok()) {
            return {};
        }
        const std::string inRings = listing(rings);
        const std::string inDeleted = listing(deleted);
        if (inRings == "Deleted new.wav old.wav" && inDeleted == (namesake ? "new.wav" : "") &&
            readFile(rings / "new.wav") == "new melody" &&
            (!namesake || readFile(deleted / "new.wav") == "an older one")) {
            return "Rings";
        }
        if (inRings == "Deleted old.wav" && inDeleted == "new.wav" &&
            readFile(deleted / "new.wav") == "new melody") {
            return "Deleted";
        }
        return {};
    }

    bool acrossVolumes = false;
    bool namesake = false;  // Deleted holds an older melody of that name, kept aside meanwhile

    // A sound from outside the folders, converted into Rings\song.wav.
    void convert() {
        testing::writeFile(root / "song.ogg", testing::fakeSound(2, 22050, 200000));
        open();
        addThroughDialog(testing::onDriveZ(root / "song.ogg"));
    }
    // 'A' where the converted melody is whole in Rings, 'B' where nothing of it is there.
    char whatTheConversionLeft() {
        const std::string inRings = listing(rings);
        if (inRings == "Deleted new.wav old.wav song.wav" &&
            readFile(rings / "song.wav") == testing::melodyOfFakeSound(2, 22050, 200000)) {
            return 'A';
        }
        return inRings == "Deleted new.wav old.wav" ? 'B' : '?';
    }

    void choose(const std::string& melody) {
        open();
        chooseRing(melody);
    }

    // The melody the record names, when the ring file holds that very melody and nothing of a
    // choice is left; "" otherwise.
    std::string agreedRingMelody() {
        const auto name = registry.read("Zorvik\\Setings", "RingSound");
        if (!name.ok() || readFile(install / "Phone.wav") != readFile(rings / name.value().text)) {
            return {};
        }
        if (listing(install) != "Phone.wav Rings" ||
            registry.read("Software\\Zorvik Melodies", "RingChoiceUnderWay").ok()) {
            return {};
        }
        return name.value().text;
    }

    int steps() const { return steps_; }
    void disarm() { killAt_ = 0; }

protected:
    settings::ShellFactory& machineShells() override { return countedShells_; }

private:
    void step() {
        if (++steps_ == killAt_) {
            ::raise(SIGKILL);
        }
    }

    int killAt_;
    int steps_ = 0;
    bool refusing_ = false;
    CountedRegistry counted_;
    settings::RegistryShellFactory countedShells_;
};

// Runs `work` in a child process; true when the child was killed.
bool killedIn(const std::function<void()>& work) {
    const pid_t child = fork();
    if (child == 0) {
        work();
        testing::endChild(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFSIGNALED(status);
}

// Each operation killed at each of its steps in turn: the next start finds it undone ('B') or
// done ('A'), never half, and a single step decides between the two. A start in between whose
// finishing fails, for an ordinary reason, changes nothing of that.
TEST(KilledMidway, AtEveryStepTheNextStartFindsTheWorkWholeOrUndone) {
    const struct {
        const char* what;
        bool move;  // else the ring choice
        bool acrossVolumes;
        bool namesake;
        bool conversion = false;  // a sound added, instead of either
    } cases[] = {
        {"the ring choice", false, false, false},
        {"a conversion", false, false, false, true},
        {"a move on one volume", true, false, false},
        {"a move across volumes", true, true, false},
        {"a move across volumes over an older one", true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // the machine is told its case in the parent, which judges what the child left
        const auto arranged = [&](Machine& machine) -> Machine& {
            machine.acrossVolumes = c.acrossVolumes;
            machine.namesake = c.namesake;
            return machine;
        };
        const auto run = [&](Machine& machine) {
            c.conversion ? machine.convert()
            : c.move     ? machine.moveToDeleted("new.wav")
                         : machine.choose("new.wav");
        };
        const auto found = [&](Machine& machine) {
            if (c.conversion) {
                return machine.whatTheConversionLeft();
            }
            const std::string now =
                c.move ? machine.whereTheMovedMelodyIs() : machine.agreedRingMelody();
            return now == (c.move ? "Deleted" : "new.wav") ? 'A'
                   : now == (c.move ? "Rings" : "old.wav") ? 'B'
                                                           : '?';
        };
        int whole = 0;
        {
            Machine counting;
            run(arranged(counting));
            whole = counting.steps();
            ASSERT_EQ(found(counting), 'A');
        }
        // every file step and settings write counts
        ASSERT_GT(whole, c.move || c.conversion ? 1 : 8);
        std::string outcomes;
        for (int killAt = 1; killAt <= whole; ++killAt) {
            SCOPED_TRACE("killed at step " + std::to_string(killAt));
            Machine machine(killAt);
            arranged(machine);
            ASSERT_TRUE(killedIn([&] { run(machine); }));
            machine.disarm();
            // the next start cannot finish it: it leaves it for the one after, losing nothing
            machine.openRefusingChanges();
            machine.open();  // the start after, over what the killed run left
            outcomes += found(machine);
            EXPECT_NE(outcomes.back(), '?')
                << "ring file: " << readFile(machine.install / "Phone.wav")
                << "; beside it: " << listing(machine.install)
                << "; Rings: " << listing(machine.rings)
                << "; Deleted: " << listing(machine.deleted) << "\n"
                << machine.storeText();
        }
        EXPECT_NE(outcomes.find('B'), std::string::npos) << outcomes;
        EXPECT_NE(outcomes.find('A'), std::string::npos) << outcomes;
        EXPECT_EQ(outcomes.find("AB"), std::string::npos) << outcomes;
    }
}

TEST(RingChoiceKilled, TwoCopiesChoosingAtOnceNeverLeaveTheRingFileAndRecordApart) {
    Machine machine;
    // Each copy chooses its melody again and again, and after each choice looks, holding the
    // lock as a choice does, whether the ring file and the record agree.
    const auto mismatchesChoosing = [&machine](const char* melody) {
        int mismatches = 0;
        for (int round = 0; round < 25; ++round) {
            machine.choose(melody);
            const auto hold = machine.lock.acquire();
            mismatches += hold.ok() && machine.agreedRingMelody().empty() ? 1 : 0;
        }
        return mismatches + static_cast<int>(machine.box.errors.size());
    };
    const pid_t other = fork();
    if (other == 0) {
        testing::endChild(mismatchesChoosing("old.wav"));
    }
    EXPECT_EQ(mismatchesChoosing("new.wav"), 0);
    int status = 0;
    waitpid(other, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the other copy's mismatches and failures";
}

}  // namespace
}  // namespace zorvik
