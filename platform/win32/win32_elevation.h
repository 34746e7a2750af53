#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/elevation.h"
#include "platform/file_system.h"

namespace zorvik::win32 {

// Starts this program as the elevated process: the file, its parameters; the process started,
// or Cancelled where the user declined at the consent prompt.
using ElevatedLauncher =
    std::function<Result<HANDLE>(const std::wstring& program, const std::wstring& parameters)>;

// ShellExecuteExW with the verb "runas", over `owner`: the system's consent prompt, then the
// program with an administrator's rights.
Result<HANDLE> launchThroughConsentPrompt(HWND owner, const std::wstring& program,
                                          const std::wstring& parameters);

// Administrator's rights for one action: this program once more, elevated, serving the file
// steps over a pipe that only it may open.
class Win32Elevation final : public Elevation {
public:
    // `local` is the user's own steps, which every query keeps.
    explicit Win32Elevation(FileSteps& local);

    void setOwner(HWND owner) { owner_ = owner; }
    // A test's way of starting the elevated process (without a prompt, say).
    void setLauncher(ElevatedLauncher launcher) { launcher_ = std::move(launcher); }

    // On Windows a change refused for want of rights is always worth asking for: an account
    // with UAC off is asked for an administrator's password.
    bool available() const override { return true; }
    Result<std::unique_ptr<ElevatedRun>> start() override;

private:
    FileSteps& local_;
    HWND owner_ = nullptr;
    ElevatedLauncher launcher_;
};

}  // namespace zorvik::win32
