// The file system's contract, one table for every backend: what the core relies on, and what
// the in-memory fake promises on its behalf.
#include "platform/windows_path.h"
#include "tests/contract/file_system_fixture.h"

namespace zorvik::testing {
namespace {

TEST_P(FileSystemContract, ListsTheWaveFilesOnlySortedIgnoringCase) {
    // "c.wave" and "longername.wavx" match Windows' own "*.wav" through their 8.3 short names;
    // "COM10.wav" and "concert.wav" only look like devices
    for (const char* name : {"b.wav", "A.WAV", "ц.wav", "Б.Wav", ".wav", "a.txt", "awav", "c.wave",
                             "x.wav.bak", "longername.wavx", "COM10.wav", "concert.wav"}) {
        machine->writeFile(rings + "\\" + name, "x");
    }
    machine->makeFolder(rings + "\\folder.wav");
    const std::vector<std::string> expected = {".wav",        "A.WAV", "b.wav", "COM10.wav",
                                               "concert.wav", "Б.Wav", "ц.wav"};
    EXPECT_EQ(list(rings), expected);
    EXPECT_EQ(list(rings + "\\"), expected) << "a trailing backslash names the same folder";
    EXPECT_EQ(list(root + "\\RINGS"), expected) << "folders match ignoring case";
}

TEST_P(FileSystemContract, ListingSomethingThatIsNoFolderFails) {
    machine->writeFile(rings + "\\a.wav", "x");
    const struct {
        std::string folder;
        ErrorCode code;
    } rows[] = {
        {root + "\\Nowhere", ErrorCode::FolderNotFound},
        {rings + "\\a.wav", ErrorCode::NotAFolder},
    };
    for (const auto& row : rows) {
        const auto listed = files().listMelodies(row.folder);
        ASSERT_FALSE(listed.ok()) << row.folder;
        EXPECT_EQ(listed.failure().code, row.code) << listed.failure().message;
        EXPECT_NE(listed.failure().message.find(row.folder), std::string::npos)
            << listed.failure().message;
    }
}

TEST_P(FileSystemContract, ACopyReplacesTheDestinationWholeAndLeavesNothingElse) {
    machine->writeFile(other + "\\new.wav", "new melody");
    machine->writeFile(rings + "\\old.wav", "old melody");
    machine->writeFile(rings + "\\Ring.wav", "ring");
    ASSERT_TRUE(copyFile(files(), other + "\\new.wav", rings + "\\old.wav").ok());
    ASSERT_TRUE(copyFile(files(), other + "\\NEW.WAV", rings + "\\Звън.wav").ok());
    // a case variant of an existing name replaces that file, which keeps its name
    ASSERT_TRUE(copyFile(files(), other + "\\new.wav", rings + "\\RING.WAV").ok());
    EXPECT_EQ(machine->readFile(rings + "\\old.wav"), "new melody");
    EXPECT_EQ(machine->readFile(rings + "\\Звън.wav"), "new melody");
    EXPECT_EQ(machine->readFile(rings + "\\Ring.wav"), "new melody");
    EXPECT_EQ(names(rings), "Ring.wav old.wav Звън.wav");
    EXPECT_EQ(machine->readFile(other + "\\new.wav"), "new melody");
    // a copy of a read-only file (from a disc) can be replaced again
    machine->setReadOnly(other + "\\new.wav", true);
    ASSERT_TRUE(copyFile(files(), other + "\\new.wav", rings + "\\Phone.wav").ok());
    const Status again = copyFile(files(), rings + "\\old.wav", rings + "\\Phone.wav");
    EXPECT_TRUE(again.ok()) << again.failure().message;
}

struct RefusedTransfer {
    const char* what;
    std::string source;  // below the root
    std::string destination;
    ErrorCode code;
    bool needsHardLink = false;
};

// Each refusal leaves both folders exactly as they were, whichever of copy and move it was.
TEST_P(FileSystemContract, RefusedCopiesAndMovesChangeNothing) {
    machine->writeFile(rings + "\\a.wav", "a");
    machine->writeFile(rings + "\\locked.wav", "locked");
    machine->setReadOnly(rings + "\\locked.wav", true);
    machine->makeFolder(rings + "\\folder.wav");
    const bool linked = machine->hardLink(rings + "\\a.wav", other + "\\link.wav");
    const RefusedTransfer rows[] = {
        {"source missing", "\\Rings\\gone.wav", "\\Rings\\b.wav", ErrorCode::NotFound},
        {"source a folder", "\\Rings\\folder.wav", "\\Rings\\b.wav", ErrorCode::IsFolder},
        {"source ends in a backslash", "\\Rings\\", "\\Rings\\b.wav", ErrorCode::IsFolder},
        {"destination folder missing", "\\Rings\\a.wav", "\\Nowhere\\a.wav",
         ErrorCode::FolderNotFound},
        {"destination a folder", "\\Rings\\a.wav", "\\Rings\\folder.wav", ErrorCode::IsFolder},
        {"destination read-only", "\\Rings\\a.wav", "\\Rings\\locked.wav", ErrorCode::ReadOnly},
        {"the same file", "\\Rings\\a.wav", "\\Rings\\a.wav", ErrorCode::SameFile},
        {"the same file in another case", "\\Rings\\a.wav", "\\RINGS\\A.WAV", ErrorCode::SameFile},
        {"a path through a file", "\\Rings\\a.wav\\b.wav", "\\Rings\\b.wav", ErrorCode::NotAFolder},
        {"source folder missing", "\\Nowhere\\a.wav", "\\Rings\\b.wav", ErrorCode::FolderNotFound},
        {"destination ends in a backslash", "\\Rings\\a.wav", "\\Rings\\", ErrorCode::IsFolder},
        {"destination in a file", "\\Rings\\a.wav", "\\Rings\\a.wav\\b.wav", ErrorCode::NotAFolder},
        {"destination through a file", "\\Rings\\a.wav", "\\Rings\\a.wav\\x\\b.wav",
         ErrorCode::NotAFolder},
        {"a second name of the same file", "\\Друга\\link.wav", "\\Rings\\a.wav",
         ErrorCode::SameFile, true},
    };
    const std::string before = names(rings);
    for (const auto& row : rows) {
        for (const bool move : {false, true}) {
            if (row.needsHardLink && !linked) {
                continue;  // no hard links here
            }
            SCOPED_TRACE(std::string(row.what) + (move ? " (move)" : " (copy)"));
            const std::string source = root + row.source;
            const std::string destination = root + row.destination;
            const Status done = move ? files().moveFile(source, destination)
                                     : copyFile(files(), source, destination);
            ASSERT_FALSE(done.ok());
            EXPECT_EQ(done.code(), row.code) << done.failure().message;
            // the box names the files concerned
            for (const std::string& named : {source, destination}) {
                EXPECT_NE(done.failure().message.find(std::string(winpath::fileName(named))),
                          std::string::npos);
            }
            EXPECT_EQ(names(rings), before);
            EXPECT_EQ(names(root), "Rings Друга");
            EXPECT_EQ(machine->readFile(rings + "\\a.wav"), "a");
            EXPECT_EQ(machine->readFile(rings + "\\locked.wav"), "locked");
        }
    }
}

TEST_P(FileSystemContract, APreparedCopyChangesNothingUntilCommitted) {
    machine->writeFile(other + "\\new.wav", "new");
    machine->writeFile(rings + "\\Phone.wav", "old");
    {
        auto prepared = files().prepareCopy(other + "\\new.wav", rings + "\\Phone.wav");
        ASSERT_TRUE(prepared.ok()) << prepared.failure().message;
        EXPECT_EQ(machine->readFile(rings + "\\Phone.wav"), "old");
    }
    EXPECT_EQ(names(rings), "Phone.wav") << "an abandoned copy leaves no temporary file";
    EXPECT_EQ(machine->readFile(rings + "\\Phone.wav"), "old");
    // one kept on disk on purpose is let go, so that the next sweep takes it
    files().prepareCopy(other + "\\new.wav", rings + "\\Phone.wav").value()->keepTemporary();
    files().removeAbandonedTemporaries(rings);
    EXPECT_EQ(names(rings), "Phone.wav");

    auto prepared = files().prepareCopy(other + "\\new.wav", rings + "\\Phone.wav");
    ASSERT_TRUE(prepared.ok());
    const Status committed = prepared.value()->commit();
    ASSERT_TRUE(committed.ok()) << committed.failure().message;
    EXPECT_EQ(machine->readFile(rings + "\\Phone.wav"), "new");
    EXPECT_EQ(names(rings), "Phone.wav");
    EXPECT_FALSE(prepared.value()->commit().ok()) << "a copy goes in place once";

    // a destination made read-only while the copy waited is not replaced, though Wine and
    // POSIX would rename over it
    auto late = files().prepareCopy(other + "\\new.wav", rings + "\\Phone.wav");
    ASSERT_TRUE(late.ok());
    machine->setReadOnly(rings + "\\Phone.wav", true);
    const Status refused = late.value()->commit();
    EXPECT_EQ(refused.ok() ? ErrorCode::Other : refused.code(), ErrorCode::ReadOnly);
    late = Failure{};
    EXPECT_EQ(machine->readFile(rings + "\\Phone.wav"), "new");
    EXPECT_EQ(names(rings), "Phone.wav");
}

TEST_P(FileSystemContract, AMoveTakesTheFileAcrossReplacingItsNamesake) {
    machine->writeFile(rings + "\\Звън.wav", "new");
    machine->writeFile(other + "\\ЗВЪН.WAV", "older");
    const Status moved = files().moveFile(rings + "\\Звън.wav", other + "\\звън.wav");
    ASSERT_TRUE(moved.ok()) << moved.failure().message;
    EXPECT_EQ(names(rings), "");
    EXPECT_EQ(names(other), "ЗВЪН.WAV") << "the namesake's name stays";
    EXPECT_EQ(machine->readFile(other + "\\ЗВЪН.WAV"), "new");
}

TEST_P(FileSystemContract, DeletesOneFileAndRefusesEverythingElse) {
    machine->writeFile(rings + "\\a.wav", "a");
    machine->writeFile(rings + "\\keep.wav", "keep");
    machine->writeFile(rings + "\\ro.wav", "ro");
    machine->setReadOnly(rings + "\\ro.wav", true);
    machine->makeFolder(rings + "\\folder.wav");
    ASSERT_TRUE(files().deleteFile(root + "\\RINGS\\A.WAV").ok());
    const struct {
        std::string path;
        ErrorCode code;
    } rows[] = {
        {rings + "\\a.wav", ErrorCode::NotFound},
        {rings + "\\", ErrorCode::NotFound},
        {rings + "\\folder.wav", ErrorCode::IsFolder},
        {rings + "\\ro.wav", ErrorCode::ReadOnly},
        {root + "\\Nowhere\\a.wav", ErrorCode::FolderNotFound},
    };
    for (const auto& row : rows) {
        const Status deleted = files().deleteFile(row.path);
        ASSERT_FALSE(deleted.ok()) << row.path;
        EXPECT_EQ(deleted.code(), row.code) << deleted.failure().message;
        EXPECT_NE(deleted.failure().message.find(std::string(winpath::fileName(row.path))),
                  std::string::npos);
    }
    EXPECT_EQ(names(rings), "folder.wav keep.wav ro.wav");
}

INSTANTIATE_TEST_SUITE_P(Backends, FileSystemContract, ::testing::ValuesIn(fileSystemBackends()),
                         [](const auto& backend) { return backend.param.name; });

}  // namespace
}  // namespace zorvik::testing
