// A program killed at any step of a ring choice or of a move across volumes, on the real Win32
// file system, registry and named mutex: the next start finds the ring file and its record
// agreeing (both as they were or both new), or the moved melody whole in exactly one folder, and
// nothing of the operation left behind, even after a start whose finishing failed. Windows has
// no fork: the program runs as a child that kills itself (killed_midway_child.cpp), and the test
// is the next start.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/win32/host_commands.h"
#include "tests/win32/killed_machine.h"
#include "tests/win32/scratch.h"

namespace zorvik::testing {
namespace {

struct KillCase {
    const char* name;
    KilledOperation operation;
    const wchar_t* childArgument;
    const char* undone;  // the outcome when the operation was undone
    const char* done;
};

const KillCase kKillCases[] = {
    {"RingChoice", KilledOperation::RingChoice, L"ring", "old.wav", "new.wav"},
    {"MoveAcrossVolumes", KilledOperation::Move, L"move", "Rings", "Deleted"},
    {"MoveOverAnOlderOne", KilledOperation::MoveOverOlder, L"moveover", "Rings", "Deleted"},
};

// The drive and the keys of one machine.
struct Places {
    ScratchFolder folder;
    ScratchKey key;
};

class KilledMidway : public ::testing::TestWithParam<KillCase> {};

TEST_P(KilledMidway, AtEveryStepTheNextStartFindsTheOperationDoneOrUndoneAndNothingLeft) {
    const KillCase& row = GetParam();
    int whole = 0;
    {
        Places places;
        KilledMachine counting(row.operation, places.folder.path(), places.key.branch());
        counting.prepare();
        counting.run();
        whole = counting.steps();
        ASSERT_EQ(counting.outcome(), row.done) << counting.scene();
    }
    ASSERT_GT(whole, 8) << "every file step and settings write counts";
    std::string outcomes;
    for (int killAt = 1; killAt <= whole; ++killAt) {
        SCOPED_TRACE("killed at step " + std::to_string(killAt));
        Places places;
        KilledMachine machine(row.operation, places.folder.path(), places.key.branch());
        machine.prepare();
        // the killed run, in a child program that kills itself at its step
        ASSERT_EQ(exitCodeOf(L"\"" + besideThisProgram(L"zorvik_killed_midway_child.exe") + L"\" " +
                             row.childArgument + L" " + std::to_wstring(killAt) + L" \"" +
                             widePath(places.folder.path()) + L"\" \"" +
                             widePath(places.key.branch()) + L"\""),
                  kKilledExitCode);
        // the next start cannot finish it: it leaves it for the one after, losing nothing
        machine.openRefusingChanges();
        machine.open();  // the start after, over what the killed run left
        const std::string outcome = machine.outcome();
        EXPECT_TRUE(outcome == row.undone || outcome == row.done) << machine.scene();
        outcomes += outcome == row.done ? 'D' : outcome == row.undone ? 'U' : '?';
    }
    // one step decides: before it the operation is undone, after it kept
    EXPECT_NE(outcomes.find('U'), std::string::npos) << outcomes;
    EXPECT_NE(outcomes.find('D'), std::string::npos) << outcomes;
    EXPECT_EQ(outcomes.find("DU"), std::string::npos) << outcomes;
}

INSTANTIATE_TEST_SUITE_P(Win32, KilledMidway, ::testing::ValuesIn(kKillCases),
                         [](const auto& killCase) { return std::string(killCase.param.name); });

}  // namespace
}  // namespace zorvik::testing
