#pragma once

#include <functional>
#include <string>

// The host below Wine, reached from a test: its own names for files, and its programs, for what
// only the host can arrange (a symbolic link of its own, a file it will not let go).
namespace zorvik::testing {

// Wine's name of a file on the host, as a wide string that Wine turns back into the same bytes
// when it starts a host program; empty outside Wine.
std::wstring hostNameUnderWine(const std::wstring& path);

// Starts a host program ("/bin/ln -s ..."). Wine cannot wait for it: callers wait for its effect.
bool runOnHost(std::wstring commandLine);

// Waits, five seconds at most, until `done` holds; whether it did.
bool waitUntil(const std::function<bool()>& done);

}  // namespace zorvik::testing
