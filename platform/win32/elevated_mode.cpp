#include "platform/win32/elevated_mode.h"

#include <windows.h>

#include <string_view>

#include "platform/elevated/guarded_file_steps.h"
#include "platform/elevated/remote_file_steps.h"
#include "platform/elevated/step_protocol.h"
#include "platform/install_folder.h"
#include "platform/win32/elevated_pipe.h"
#include "platform/win32/elevated_places.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_errors.h"
#include "platform/win32/win32_file_system.h"
#include "platform/windows_path.h"

namespace zorvik::win32 {

namespace {

// Exit codes, for the process that started this one and for a person reading a log.
constexpr int kServed = 0;
constexpr int kBadArguments = 2;
constexpr int kNoPipe = 3;
constexpr int kWrongPeer = 4;
constexpr int kNoPlaces = 5;

constexpr DWORD kPipePatience = 5000;
// How long a request begun may take to arrive whole: a client that stops mid-way is gone.
constexpr DWORD kStallPatience = 30000;

}  // namespace

std::optional<int> runElevatedMode(int argc, char** argv) {
    if (argc < 2 || std::string_view(argv[1]) != kElevatedModeSwitch) {
        return std::nullopt;
    }
    if (argc != 4) {
        return kBadArguments;
    }
    // only a pipe of this program's making, by the process named, checked before anything is
    // opened: a name that merely starts right can lead to another pipe, a file or a share
    const auto parent = elevated::ownPipeProcess(argv[2], argv[3]);
    if (!parent) {
        return kBadArguments;
    }
    const std::wstring wideName = toWideLossy(argv[2]);
    (void)WaitNamedPipeW(wideName.c_str(), kPipePatience);
    // identification only: the user's process may learn who connected, never act as this one
    Handle pipe(CreateFileW(
        wideName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
        FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
    if (!pipe.valid()) {
        return kNoPipe;
    }
    // a handle to anything but a pipe has no server to name
    ULONG server = 0;
    if (!GetNamedPipeServerProcessId(pipe.get(), &server) || server != *parent) {
        return kWrongPeer;
    }
    // an administrator who typed a password for a standard user may not open that user's
    // process: then only the closed pipe tells that it ended
    Handle peer(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, *parent));
    if (!peer.valid()) {
        peer = Handle(OpenProcess(SYNCHRONIZE, FALSE, *parent));
    }

    Win32FileSystem files;
    const auto install = files.hostPath(install::kFolder);
    const auto rings = files.hostPath(install::kRingsFolder);
    const auto deleted = files.hostPath(install::kDeletedFolder);
    if (!install.ok() || !rings.ok() || !deleted.ok()) {
        return kNoPlaces;
    }
    const auto held = HeldPlaces::hold({install.value(), rings.value(), deleted.value()},
                                       peer.valid() ? peer.get() : nullptr);
    if (!held.ok()) {
        return kNoPlaces;
    }
    files.win32Steps().renameOnlyInto(held.value().places());
    elevated::GuardedFileSteps guard(files.steps(),
                                     {install.value(), rings.value(), deleted.value(),
                                      std::string(winpath::fileName(install::kRingFile))});
    for (;;) {
        const auto request = readMessage(pipe.get(), peer.get(), kStallPatience);
        if (!request.ok()) {
            break;  // the action is over, or its process gone: what this one held goes with it
        }
        if (!writeMessage(pipe.get(), elevated::answerStep(guard, request.value()), peer.get())
                 .ok()) {
            break;
        }
    }
    return kServed;
}

}  // namespace zorvik::win32
