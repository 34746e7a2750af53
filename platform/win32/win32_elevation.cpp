#include "platform/win32/win32_elevation.h"

#include <sddl.h>
#include <shellapi.h>

#include <atomic>
#include <cstdint>
#include <string>

#include "platform/elevated/remote_file_steps.h"
#include "platform/elevated/step_protocol.h"
#include "platform/win32/elevated_pipe.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_errors.h"
#include "texts/failure_text.h"

namespace zorvik::win32 {

namespace {

// Long enough for a loaded machine to start a program after the prompt; a process that has not
// connected by then is taken for one that never will.
constexpr DWORD kConnectPatience = 30000;
// How long the end of an action waits for the elevated process to let its files go.
constexpr DWORD kEndPatience = 5000;

std::wstring ownProgram() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// A name no one else has guessed before this process made it: the pipe is made first-instance,
// so a squatter's pipe of that name makes the start fail rather than talk to the wrong side.
std::wstring freshPipeName() {
    static std::atomic<unsigned> made{0};
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    return toWideLossy(
        elevated::pipeNameOf(GetCurrentProcessId(),
                             static_cast<std::uint64_t>(counter.QuadPart) * 1000 + ++made % 1000));
}

// The pipe's security: this user and the administrators alone. Windows' default lets everyone
// read it, so that any process on the machine could open the only instance first.
class PipeSecurity {
public:
    PipeSecurity() {
        HANDLE rawToken = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &rawToken)) {
            return;
        }
        const Handle token(rawToken);
        DWORD size = 0;
        GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
        std::string user(size, '\0');
        LPWSTR sid = nullptr;
        if (size == 0 || !GetTokenInformation(token.get(), TokenUser, user.data(), size, &size) ||
            !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid, &sid)) {
            return;
        }
        // protected: nothing inherited; full access for the user and BUILTIN\Administrators
        const std::wstring text = L"D:P(A;;GA;;;" + std::wstring(sid) + L")(A;;GA;;;BA)";
        LocalFree(sid);
        if (ConvertStringSecurityDescriptorToSecurityDescriptorW(text.c_str(), SDDL_REVISION_1,
                                                                 &descriptor_, nullptr)) {
            attributes_.nLength = sizeof attributes_;
            attributes_.lpSecurityDescriptor = descriptor_;
        }
    }
    ~PipeSecurity() { LocalFree(descriptor_); }
    PipeSecurity(const PipeSecurity&) = delete;
    PipeSecurity& operator=(const PipeSecurity&) = delete;

    // nullptr where it could not be made: then no pipe is made either
    SECURITY_ATTRIBUTES* attributes() { return descriptor_ != nullptr ? &attributes_ : nullptr; }

private:
    PSECURITY_DESCRIPTOR descriptor_ = nullptr;
    SECURITY_ATTRIBUTES attributes_{};
};

class PipeRun final : public ElevatedRun, public elevated::StepTransport {
public:
    PipeRun(Handle pipe, Handle process, FileSteps& local)
        : pipe_(std::move(pipe)), process_(std::move(process)), remote_(*this, local) {}
    ~PipeRun() override { end(); }

    FileSteps& steps() override { return remote_; }

    void end() override {
        if (!process_.valid()) {
            return;
        }
        // the closed pipe is the elevated process's sign to let its files go and end
        pipe_.close();
        WaitForSingleObject(process_.get(), kEndPatience);
        process_.close();
    }

    Result<std::string> exchange(const std::string& request) override {
        if (!pipe_.valid()) {
            return elevated::brokenExchange();
        }
        if (Status sent = writeMessage(pipe_.get(), request, process_.get()); !sent.ok()) {
            return sent.failure();
        }
        return readMessage(pipe_.get(), process_.get());
    }

private:
    Handle pipe_;
    Handle process_;
    elevated::RemoteFileSteps remote_;
};

// Waits for the launched process to open the pipe, and makes sure it is that process.
Status awaitConnection(HANDLE pipe, HANDLE process) {
    Handle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    if (!ConnectNamedPipe(pipe, &overlapped)) {
        const DWORD error = GetLastError();
        if (error == ERROR_IO_PENDING) {
            const HANDLE waits[] = {event.get(), process};
            const DWORD woke = WaitForMultipleObjects(2, waits, FALSE, kConnectPatience);
            if (woke != WAIT_OBJECT_0) {
                CancelIoEx(pipe, &overlapped);
                DWORD ignored = 0;
                (void)GetOverlappedResult(pipe, &overlapped, &ignored, TRUE);
                return elevated::brokenExchange();
            }
            DWORD ignored = 0;
            if (!GetOverlappedResult(pipe, &overlapped, &ignored, FALSE)) {
                return elevated::brokenExchange();
            }
        } else if (error != ERROR_PIPE_CONNECTED) {
            return failureOf(error);
        }
    }
    ULONG client = 0;
    if (!GetNamedPipeClientProcessId(pipe, &client) || client != GetProcessId(process)) {
        return elevated::brokenExchange();
    }
    return Status::success();
}

}  // namespace

Result<HANDLE> launchThroughConsentPrompt(HWND owner, const std::wstring& program,
                                          const std::wstring& parameters) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = L"runas";
    info.lpFile = program.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_HIDE;
    if (!ShellExecuteExW(&info)) {
        const DWORD error = GetLastError();
        if (error == ERROR_CANCELLED) {
            return Failure{ErrorCode::Cancelled, {}};
        }
        return failureOf(error);
    }
    if (info.hProcess == nullptr) {
        return Failure{ErrorCode::NotAvailable, {}};
    }
    return info.hProcess;
}

Win32Elevation::Win32Elevation(FileSteps& local)
    : local_(local), launcher_([this](const std::wstring& program, const std::wstring& parameters) {
          return launchThroughConsentPrompt(owner_, program, parameters);
      }) {}

Result<std::unique_ptr<ElevatedRun>> Win32Elevation::start() {
    const std::wstring name = freshPipeName();
    PipeSecurity security;
    if (security.attributes() == nullptr) {
        return failureOf(GetLastError());
    }
    // local clients only, one instance, made by this process and no other before it
    Handle pipe(CreateNamedPipeW(
        name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 1 << 16,
        1 << 16, 0, security.attributes()));
    if (!pipe.valid()) {
        return failureOf(GetLastError());
    }
    const std::string_view modeSwitch = kElevatedModeSwitch;
    const std::wstring parameters = std::wstring(modeSwitch.begin(), modeSwitch.end()) + L" " +
                                    name + L" " + std::to_wstring(GetCurrentProcessId());
    auto launched = launcher_(ownProgram(), parameters);
    if (!launched.ok()) {
        return launched.failure();
    }
    Handle process(launched.value());
    if (Status connected = awaitConnection(pipe.get(), process.get()); !connected.ok()) {
        TerminateProcess(process.get(), 1);
        return connected.failure();
    }
    return std::unique_ptr<ElevatedRun>(
        std::make_unique<PipeRun>(std::move(pipe), std::move(process), local_));
}

}  // namespace zorvik::win32
