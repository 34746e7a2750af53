#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "platform/status.h"

// The host below Wine, reached from a test: its own names for files, and its programs, for what
// only the host can arrange (a symbolic link of its own, a file it will not let go).
namespace zorvik::testing {

// Wine's name of a file on the host, as a wide string that Wine turns back into the same bytes
// when it starts a host program; empty outside Wine.
std::wstring hostNameUnderWine(const std::wstring& path);

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
