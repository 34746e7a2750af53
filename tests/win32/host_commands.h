#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/status.h"

// Programs started from a test: the host's below Wine, for what only the host can arrange (a
// symbolic link of its own, a file it will not let go), and Windows programs beside this one.
namespace zorvik::testing {

// Runs a host command ("/bin/ln -s ...", paths in double quotes) to its end; whether it
// succeeded. Wine gives no handle to wait on a host process, so the command's shell writes its
// exit status into a file of its own, and that file is waited for: two commands in a row never
// overtake each other.
bool runOnHost(const std::wstring& commandLine);
// The host's name of a file, in double quotes for such a command; empty outside Wine.
std::wstring quotedOnHost(std::string_view path);

// A program by its path from this test program's folder, made whole.
std::wstring besideThisProgram(const std::wstring& relative);
// Starts a command line (its program quoted where it holds spaces); its process, which is null
// for a host program under Wine.
Result<HANDLE> startCommand(std::wstring commandLine);
// Runs it to its end, a minute at most, then ends it; its exit code, 0xFFFF when it never started.
DWORD exitCodeOf(const std::wstring& commandLine);

// Waits until `done` holds, `seconds` at most (a bound for a hang, not a measure of speed);
// whether it did.
bool waitUntil(const std::function<bool()>& done, int seconds = 5);

}  // namespace zorvik::testing
