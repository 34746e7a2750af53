// The elevated process as Windows runs it: the real program in its elevated mode, over the real
// pipe and the real install folder, started without the consent prompt (under Wine every
// process is an administrator already, and no prompt can be answered by a test).
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "platform/install_folder.h"
#include "platform/win32/elevated_pipe.h"
#include "platform/win32/elevated_places.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_elevation.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/win32_file_system.h"
#include "platform/windows_text.h"
#include "settings/shell_object.h"
#include "tests/support/fake_registry.h"
#include "tests/support/form_driver.h"
#include "tests/support/sound_files.h"
#include "tests/support/step_faults.h"
#include "tests/win32/host_commands.h"
#include "tests/win32/scratch.h"
#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik {
namespace {

using testing::entriesOf;
using testing::listing;
using testing::readBytes;
using testing::setStepFaults;
using testing::stepFails;
using testing::writeBytes;

const std::string kInstall = install::kFolder;
const std::string kRings = std::string(install::kRingsFolder);
const std::string kDeleted = std::string(install::kDeletedFolder);

// The program, quoted, with its parameters.
std::wstring theProgram(const std::wstring& parameters) {
    static const std::wstring program =
        testing::besideThisProgram(L"..\\..\\app\\zorvik-melodies.exe");
    return L"\"" + program + L"\" " + parameters;
}

// Starts the program as CreateProcessW does; what ShellExecuteExW("runas") does after the prompt.
// Its signature is the launcher's, whose program is the test's own, not the one to start.
Result<HANDLE> startDirectly(const std::wstring& /*program*/, const std::wstring& parameters) {
    return testing::startCommand(theProgram(parameters));
}

// The real files, and an elevation that starts the real program without the prompt.
struct DirectElevation {
    DirectElevation() { elevation.setLauncher(startDirectly); }
    std::string host(const std::string& path) { return files.hostPath(path).value(); }

    win32::Win32FileSystem files;
    win32::Win32Elevation elevation{files.steps()};
};

// The window's core over the real files of the install folder, with refusals made where the
// user's own rights would not reach, until the elevated process is started.
class RefusedMachine : public testing::FormDriver, public DirectElevation {
public:
    RefusedMachine() {
        // the test's own program is not the one to start: the program's is
        elevation.setLauncher([this](const std::wstring& program, const std::wstring& parameters) {
            ++starts;
            if (launch) {
                return launch(program, parameters);
            }
            elevated = true;
            return startDirectly(program, parameters);
        });
        setStepFaults(files, [this](FileStep step) -> std::optional<StepFault> {
            const bool changes = step == FileStep::CreateTemporary ||
                                 step == FileStep::MoveInOneStep || step == FileStep::RemoveFile;
            if (changes && !elevated) {
                return stepFails(ErrorCode::AccessDenied, "достъпът е отказан");
            }
            return std::nullopt;
        });
    }

    testing::FakeRegistry registry;
    settings::RegistryShellFactory shells{registry};
    std::function<Result<HANDLE>(const std::wstring&, const std::wstring&)> launch;
    bool elevated = false;
    int starts = 0;

protected:
    TransactionalFileSystem& machineFiles() override { return files; }
    settings::ShellFactory& machineShells() override { return shells; }
    Elevation& machineElevation() override { return elevation; }
};

class ElevatedProcess : public ::testing::Test {
protected:
    void SetUp() override {
        // whatever an earlier run left, folders and host links included, which Wine would follow
        testing::runOnHost(L"/bin/rm -rf " + testing::quotedOnHost(kRings));
        testing::makeFolders(kDeleted);
        writeBytes(kRings + "\\повишена.wav", "the melody");
        writeBytes(kDeleted + "\\стара.wav", "old");
        writeBytes(kInstall + "\\Phone.wav", "previous ring");
        writeBytes(source.path() + "\\нова.wav", testing::waveFile("new melody"));
    }

    testing::ScratchFolder source;
};

// Each action, refused to the user, asks once and is made whole by the real elevated program.
// Declined at either prompt, or with an elevated process that never answers, nothing changes.
TEST_F(ElevatedProcess, EachRefusedActionIsMadeByTheElevatedProgram) {
    using Launch = std::function<Result<HANDLE>(const std::wstring&, const std::wstring&)>;
    const auto chooseRing = [](RefusedMachine& m) { m.chooseRing("повишена.wav"); };
    const struct {
        const char* what;
        std::function<void(RefusedMachine&)> act;
        const char* ringsAfter;
        const char* deletedAfter;
        const char* ringAfter;
        int ourAnswer = kAnswerOk;
        Launch launch = {};  // none: the program, started directly
        int starts = 1;
        const char* error = nullptr;
    } rows[] = {
        {"the ring choice", chooseRing, "Deleted повишена.wav", "стара.wav", "the melody"},
        {"adding a melody",
         [&](RefusedMachine& m) { m.addThroughDialog(source.path() + "\\нова.wav"); },
         "Deleted нова.wav повишена.wav", "стара.wav", "previous ring"},
        {"a delete for good", [](RefusedMachine& m) { m.removeEntry("повишена.wav"); }, "Deleted",
         "стара.wav", "previous ring"},
        {"a move into Deleted",
         [](RefusedMachine& m) {
             m.form->clickCheck2();
             m.removeEntry("повишена.wav");
         },
         "Deleted", "повишена.wav стара.wav", "previous ring"},
        {"our question declined",
         chooseRing,
         "Deleted повишена.wav",
         "стара.wav",
         "previous ring",
         kAnswerCancel,
         {},
         0},
        {"the consent prompt declined", chooseRing, "Deleted повишена.wav", "стара.wav",
         "previous ring", kAnswerOk,
         [](const std::wstring&, const std::wstring&) -> Result<HANDLE> {
             return Failure{ErrorCode::Cancelled, {}};
         }},
        {"a process that never opens the pipe", chooseRing, "Deleted повишена.wav", "стара.wav",
         "previous ring", kAnswerOk,
         [](const std::wstring& program, const std::wstring&) {
             return startDirectly(program, L"--elevated-file-steps not-a-pipe 0");
         },
         1, "Правата на администратор за папката „C:\\Program Files\\Zorvik“ не могат"},
        // the pipe opened first by another process than the one started, which never opens it
        {"another process on the pipe", chooseRing, "Deleted повишена.wav", "стара.wav",
         "previous ring", kAnswerOk,
         [client = std::make_shared<win32::Handle>()](const std::wstring& program,
                                                      const std::wstring& parameters) {
             const std::size_t name = parameters.find(L' ') + 1;
             *client = win32::Handle(
                 CreateFileW(parameters.substr(name, parameters.find(L' ', name) - name).c_str(),
                             GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
             return startDirectly(program, L"--elevated-file-steps not-a-pipe 0");
         },
         1, "Правата на администратор за папката „C:\\Program Files\\Zorvik“ не могат"},
    };
    const std::wstring ring = testing::widePath(kInstall + "\\Phone.wav");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        SetFileAttributesW(ring.c_str(), FILE_ATTRIBUTE_HIDDEN);
        RefusedMachine machine;
        machine.launch = row.launch;
        machine.box.answerer = [&] { return std::optional<int>(row.ourAnswer); };
        machine.open();
        row.act(machine);
        EXPECT_EQ(machine.box.shielded, 1);
        EXPECT_EQ(machine.starts, row.starts);
        EXPECT_EQ(listing(kRings), row.ringsAfter);
        EXPECT_EQ(listing(kDeleted), row.deletedAfter);
        EXPECT_EQ(readBytes(kInstall + "\\Phone.wav").value_or("?"), row.ringAfter);
        EXPECT_EQ(listing(kInstall), "Phone.wav Rings") << "nothing left beside the ring file";
        EXPECT_NE(GetFileAttributesW(ring.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u)
            << "the ring file kept as the installer made it";
        if (row.error == nullptr) {
            EXPECT_TRUE(machine.box.errors.empty()) << machine.box.errors.front().message;
        } else {
            ASSERT_EQ(machine.box.errors.size(), 1u);
            EXPECT_NE(machine.box.errors[0].message.find(row.error), std::string::npos)
                << machine.box.errors[0].message;
        }
        SetFileAttributesW(ring.c_str(), FILE_ATTRIBUTE_NORMAL);
        machine.close();
    }
}

// Started by anyone, the elevated mode serves only a pipe of this program's making by the
// process it names, and then only the melodies, the ring file and its own temporaries: never a
// file outside, never through a link.
TEST_F(ElevatedProcess, TheElevatedModeRefusesAnythingButItsOwnPlaces) {
    // a pipe of another program's, which must see no client
    const std::wstring self = std::to_wstring(GetCurrentProcessId());
    const win32::Handle decoy(CreateNamedPipeW((L"\\\\.\\pipe\\not-zorvik-" + self).c_str(),
                                               PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                               PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr));
    ASSERT_TRUE(decoy.valid());
    const std::wstring own =
        L"--elevated-file-steps \"\\\\.\\pipe\\Zorvik.Elevated." + self + L".1";
    // a pipe of the right name for another process, made by this one: that process never made it
    const std::wstring other = std::to_wstring(GetCurrentProcessId() + 4);
    const std::wstring othersName = L"\\\\.\\pipe\\Zorvik.Elevated." + other + L".1";
    const win32::Handle impostor(CreateNamedPipeW(othersName.c_str(),
                                                  PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                                  PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr));
    ASSERT_TRUE(impostor.valid());
    const struct {
        const char* what;
        std::wstring parameters;
        DWORD code;
    } commandLines[] = {
        {"without its pipe and peer", L"--elevated-file-steps", 2},
        {"another's pipe", L"--elevated-file-steps \\\\.\\pipe\\other 1", 2},
        {"its own name, made by no one", own + L"\" " + self, 3},
        {"on from its name to another pipe", own + L"\\..\\not-zorvik-" + self + L"\" " + self, 2},
        {"on to a file", own + L"\\..\\..\\C:\\Program Files\\Zorvik\\Phone.wav\" " + self, 2},
        {"on to a share", own + L"\\..\\..\\UNC\\localhost\\c$\\f.wav\" " + self, 2},
        {"another process's id", own + L"\" 1", 2},
        {"an id in other digits", own + L"\" 0" + self, 2},
        {"a serial that is no number", own + L"x\" " + self, 2},
        {"a pipe its process never made", L"--elevated-file-steps " + othersName + L" " + other, 4},
    };
    for (const auto& row : commandLines) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(testing::exitCodeOf(theProgram(row.parameters)), row.code);
    }
    // a request begun and never finished ends the wait within the patience (the elevated
    // process's, shortened here), however far it came and however it trickles in
    const struct {
        const char* what;
        std::string sent;
        bool whole;
        DWORD trickle = 0;  // milliseconds between its bytes, each well within the patience
    } requests[] = {
        {"a whole request", std::string("\x02\0\0\0ok", 6), true},
        {"its length cut short", std::string("\x02", 1), false},
        {"its body cut short", std::string("\x02\0\0\0o", 5), false},
        {"trickled a byte at a time", std::string("\x08\0\0\0trickled", 12), false, 100},
    };
    for (const auto& row : requests) {
        SCOPED_TRACE(row.what);
        const std::wstring name = L"\\\\.\\pipe\\zorvik-stalled-" + self;
        const win32::Handle ours(CreateNamedPipeW(name.c_str(),
                                                  PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                                  PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr));
        win32::Handle client(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(ours.valid() && client.valid());
        std::thread writer([&] {
            for (std::size_t at = 0; at < row.sent.size();) {
                const std::size_t count = row.trickle != 0 ? 1 : row.sent.size();
                DWORD written = 0;
                if (!WriteFile(client.get(), row.sent.data() + at, static_cast<DWORD>(count),
                               &written, nullptr)) {
                    return;
                }
                at += count;
                Sleep(at < row.sent.size() ? row.trickle : 0);
            }
        });
        std::atomic<bool> over{false};
        bool read = false;
        std::thread reader([&] {
            read = win32::readMessage(ours.get(), nullptr, 200).ok();
            over = true;
        });
        // one that waits on is freed by the client's end, long after the patience
        EXPECT_TRUE(testing::waitUntil([&] { return over.load(); }, 60)) << "still waiting";
        writer.join();
        client.close();
        reader.join();
        EXPECT_EQ(read, row.whole);
    }

    win32::Handle waited(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED listening{};
    listening.hEvent = waited.get();
    EXPECT_FALSE(ConnectNamedPipe(decoy.get(), &listening));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_IO_PENDING)) << "a client came to the decoy";
    CancelIoEx(decoy.get(), &listening);

    DirectElevation direct;
    win32::Win32FileSystem& files = direct.files;
    auto started = direct.elevation.start();
    ASSERT_TRUE(started.ok()) << started.failure().message;
    FileSteps& steps = started.value()->steps();

    const std::string outside = source.path() + "\\чужда.wav";
    writeBytes(outside, "someone else's");
    const std::wstring hostOutside = testing::quotedOnHost(outside);
    const auto onHost = testing::quotedOnHost;
    // a host's link, which Wine shows as a plain file and follows, stands in for Windows' links
    const auto plantLink = [&](const std::string& at) {
        return !hostOutside.empty() &&
               testing::runOnHost(L"/bin/ln -s " + hostOutside + L" " + onHost(at)) &&
               testing::waitUntil([&] { return readBytes(at) == "someone else's"; });
    };
    const auto removeOnHost = [&](const std::string& at) {
        testing::runOnHost(L"/bin/rm " + onHost(at));
        testing::waitUntil([&] {
            return GetFileAttributesW(testing::widePath(at).c_str()) == INVALID_FILE_ATTRIBUTES;
        });
    };
    const std::string link = kRings + "\\връзка.wav";
    const std::string melody = kRings + "\\повишена.wav";
    const std::string kept = kRings + "\\.zorvik-kept-0a1b2c.tmp";
    const bool linked = plantLink(link);
    const auto host = [&](const std::string& path) { return direct.host(path); };
    EXPECT_FALSE(steps.removeFile(host(outside), false).ok());
    EXPECT_FALSE(steps.createTemporary(host(source.path())).ok());
    EXPECT_FALSE(steps.moveInOneStep(host(melody), host(outside)).ok());
    EXPECT_FALSE(steps.removeFile(host(kInstall + "\\Phone.wav"), false).ok());
    if (linked) {
        // through the guard, and through the steps below it, which check the very handle they
        // act through
        const struct {
            const char* what;
            std::function<Status(FileSteps&)> act;
        } onALink[] = {
            {"a delete", [&](FileSteps& s) { return s.removeFile(host(link), false); }},
            {"a move",
             [&](FileSteps& s) {
                 return s.moveInOneStep(host(link), host(kDeleted + "\\връзка.wav"));
             }},
            {"a namesake kept aside",
             [&](FileSteps& s) { return s.keepAside(host(link), host(kept)).status(); }},
            {"a kept name put back",
             [&](FileSteps& s) { return s.putBack(host(link), host(melody)); }},
        };
        for (const auto& row : onALink) {
            for (FileSteps* acting : {&steps, &files.steps()}) {
                SCOPED_TRACE(row.what);
                EXPECT_FALSE(row.act(*acting).ok()) << "a link is no melody";
            }
        }
        EXPECT_EQ(readBytes(melody), "the melody");
        removeOnHost(link);
        // the kept-aside namesake swapped, after it was kept, for a name that reaches elsewhere:
        // neither put back nor removed
        const struct {
            const char* what;
            std::function<bool()> swap;
            failure_text::Detail why;
        } swaps[] = {
            {"for a link to a file elsewhere",
             [&] { return testing::runOnHost(L"/bin/rm " + onHost(kept)) && plantLink(kept); },
             failure_text::Detail::LinkNotActedOnItself},
            {"for another file",
             [&] {
                 const bool removed = DeleteFileW(testing::widePath(kept).c_str());
                 writeBytes(kept, "someone else's");
                 return removed;
             },
             failure_text::Detail::KeptAsideReplaced},
        };
        for (const auto& row : swaps) {
            for (FileSteps* acting : {&steps, &files.steps()}) {
                SCOPED_TRACE(row.what);
                const auto aside = acting->keepAside(host(melody), host(kept));
                ASSERT_TRUE(aside.ok()) << aside.failure().message;
                EXPECT_TRUE(aside.value().linked) << "a second name, the melody left in place";
                ASSERT_TRUE(row.swap());
                const Status back = acting->putBack(host(kept), host(melody));
                ASSERT_FALSE(back.ok());
                EXPECT_EQ(back.failure().message, texts::reason(row.why));
                acting->removeTemporary(host(kept));
                EXPECT_EQ(readBytes(melody), "the melody");
                EXPECT_EQ(readBytes(outside), "someone else's");
                EXPECT_EQ(readBytes(kept), "someone else's");
                removeOnHost(kept);
            }
        }
    }
    // a short alias matches "*.wav" where the file's own name does not
    const std::string unlisted = kRings + "\\notes.wave";
    writeBytes(unlisted, "not a melody");
    std::wstring alias(MAX_PATH, L'\0');
    alias.resize(GetShortPathNameW(testing::widePath(unlisted).c_str(), alias.data(), MAX_PATH));
    const std::string aliasName = win32::toUtf8Lossy(alias.substr(alias.find_last_of(L'\\') + 1));
    ASSERT_TRUE(text::matchesWavPattern(aliasName)) << aliasName;
    EXPECT_FALSE(steps.removeFile(host(kRings + "\\" + aliasName), false).ok());
    EXPECT_EQ(readBytes(unlisted), "not a melody");
    EXPECT_EQ(readBytes(outside), "someone else's");
    EXPECT_EQ(readBytes(kInstall + "\\Phone.wav"), "previous ring");

    EXPECT_TRUE(steps.moveInOneStep(host(melody), host(kDeleted + "\\повишена.wav")).ok());
    EXPECT_EQ(listing(kDeleted), "повишена.wav стара.wav");
    // a client may finish its copy read-only, as a moved melody, never the system's nor hidden
    // (which Wine cannot show: it calls every name that starts with a dot hidden)
    const auto made = steps.createTemporary(host(kRings));
    ASSERT_TRUE(made.ok()) << made.failure().message;
    ContentFacts hiding;
    hiding.attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY;
    hiding.readOnly = true;
    ASSERT_TRUE(steps.finishTemporary(made.value(), hiding, true).ok());
    EXPECT_EQ(GetFileAttributesW(testing::widePath(made.value()).c_str()) &
                  (FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY),
              DWORD{FILE_ATTRIBUTE_READONLY});
    started.value()->end();
    DeleteFileW(testing::widePath(unlisted).c_str());
    EXPECT_EQ(listing(kRings), "Deleted") << "its temporary, never placed, gone with it";

    // with its places held, the steps reach and name a file only within one of them
    const auto holding = [](const std::string& folder) {
        return win32::Handle(CreateFileW(testing::widePath(folder).c_str(), FILE_LIST_DIRECTORY,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    };
    const win32::Handle rings = holding(kRings);
    const win32::Handle deleted = holding(kDeleted);
    files.win32Steps().renameOnlyInto({{testing::widePath(host(kRings)), rings.get()},
                                       {testing::widePath(host(kDeleted)), deleted.get()}});
    const std::string moved = kDeleted + "\\повишена.wav";
    EXPECT_FALSE(files.steps().moveInOneStep(host(moved), host(source.path() + "\\x.wav")).ok());
    EXPECT_FALSE(files.steps().removeFile(host(outside), false).ok());
    EXPECT_TRUE(files.steps().moveInOneStep(host(moved), host(melody)).ok());
    // a name whose path takes the long-path prefix lies in its place all the same
    const std::string longName = std::string(220, 'd') + ".wav";
    writeBytes(kRings + "\\" + longName, "long");
    EXPECT_TRUE(files.steps()
                    .moveInOneStep(host(kRings + "\\" + longName), host(kDeleted + "\\" + longName))
                    .ok());
    EXPECT_TRUE(files.steps().removeFile(host(kDeleted + "\\" + longName), false).ok());
    EXPECT_EQ(listing(kRings), "Deleted повишена.wav");
}

// A place that is itself a link could lead anywhere, and one that every user may change needs no
// administrator (nor could the elevated process tell what the user planted there): it acts in
// neither.
TEST_F(ElevatedProcess, TheElevatedModeRefusesAPlaceThatIsALinkOrEveryonesToChange) {
    const std::string elsewhere = source.path() + "\\чужда";
    testing::makeFolders(elsewhere);
    writeBytes(elsewhere + "\\чужда.wav", "someone else's");
    const std::wstring quoted = testing::quotedOnHost(kDeleted);
    ASSERT_FALSE(quoted.empty());
    const std::wstring kept = testing::quotedOnHost(kDeleted + ".kept");
    const std::wstring linked = testing::quotedOnHost(elsewhere);
    const struct {
        const char* what;
        std::vector<std::wstring> arrange;
        std::vector<std::wstring> undo;
        std::string inPlace;  // a file there that must stay
    } rows[] = {
        {"a link to a folder elsewhere",
         {L"/bin/mv " + quoted + L" " + kept, L"/bin/ln -s " + linked + L" " + quoted},
         {L"/bin/rm " + quoted, L"/bin/mv " + kept + L" " + quoted},
         "чужда.wav"},
        {"a folder every user may change",
         {L"/bin/chmod o+w " + quoted},
         {L"/bin/chmod o-w " + quoted},
         "стара.wav"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        for (const std::wstring& command : row.arrange) {
            ASSERT_TRUE(testing::runOnHost(command));
        }
        ASSERT_TRUE(testing::waitUntil(
            [&] { return readBytes(kDeleted + "\\" + row.inPlace).has_value(); }));
        DirectElevation direct;
        // it starts, and then refuses every step in that place
        auto started = direct.elevation.start();
        EXPECT_TRUE(started.ok()) << "the elevated program never served";
        if (started.ok()) {
            FileSteps& steps = started.value()->steps();
            const auto host = [&](const std::string& path) { return direct.host(path); };
            EXPECT_FALSE(steps.removeFile(host(kDeleted + "\\" + row.inPlace), false).ok());
            EXPECT_FALSE(steps.createTemporary(host(kDeleted)).ok());
            EXPECT_FALSE(steps
                             .moveInOneStep(host(kRings + "\\повишена.wav"),
                                            host(kDeleted + "\\повишена.wav"))
                             .ok());
            started.value()->end();
        }
        EXPECT_TRUE(readBytes(kDeleted + "\\" + row.inPlace).has_value());
        for (const std::wstring& command : row.undo) {
            testing::runOnHost(command);
        }
        testing::waitUntil([&] { return readBytes(kDeleted + "\\стара.wav").has_value(); });
        EXPECT_EQ(entriesOf(elsewhere).size(), 1u) << "nothing made there";
        EXPECT_EQ(listing(kRings), "Deleted повишена.wav");
    }
    // a junction or a mount point, as Windows reports one on the handle (Wine shows a host's
    // link as none, and the path it reaches refuses it above)
    const auto asAReparsePoint = [](HANDLE place) {
        auto facts = win32::placeFactsOf(place);
        if (facts) {
            facts->attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
        }
        return facts;
    };
    EXPECT_TRUE(win32::HeldPlaces::hold({kDeleted}, nullptr).ok());
    EXPECT_FALSE(win32::HeldPlaces::hold({kDeleted}, nullptr, asAReparsePoint).ok());
}

}  // namespace
}  // namespace zorvik
