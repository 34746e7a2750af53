#pragma once

#include <windows.h>

#include <string>

#include "platform/status.h"

// The channel between the user's process and its elevated one: a local named pipe that the
// user's process creates and the elevated one opens, each message its length and its bytes.
namespace zorvik::win32 {

// How the program is started as the elevated process: the switch, then the pipe's name and the
// id of the process that made it.
inline constexpr char kElevatedModeSwitch[] = "--elevated-file-steps";

// One message written whole, or read whole. `peer`, where given, is the other side's process:
// its end, even without closing the pipe, ends the wait. A message begun and not whole within
// `stallPatience` of its first byte is a broken channel, however its bytes trickle in.
Status writeMessage(HANDLE pipe, const std::string& message, HANDLE peer = nullptr);
Result<std::string> readMessage(HANDLE pipe, HANDLE peer = nullptr, DWORD stallPatience = INFINITE);

}  // namespace zorvik::win32
