#include "tests/win32/host_commands.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/wide_text.h"
#include "tests/win32/scratch.h"

namespace zorvik::testing {

namespace {

// Wine's name of a file on the host, as a wide string that Wine turns back into the same bytes
// when it starts a host program; empty outside Wine.
std::wstring hostNameUnderWine(const std::wstring& path) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixName != nullptr ? unixName(path.c_str()) : nullptr;
    if (name == nullptr) {
        return {};
    }
    constexpr UINT kUnixCodePage = 65010;  // CP_UNIXCP, Wine's own
    std::wstring wide(MAX_PATH * 4, L'\0');
    wide.resize(static_cast<std::size_t>(MultiByteToWideChar(
        kUnixCodePage, 0, name, -1, wide.data(), static_cast<int>(wide.size()))));
    HeapFree(GetProcessHeap(), 0, name);
    if (!wide.empty()) {
        wide.pop_back();  // the terminating zero
    }
    return wide;
}

}  // namespace

bool runOnHost(const std::wstring& commandLine) {
    static int counter = 0;
    std::wstring temp(MAX_PATH + 1, L'\0');
    temp.resize(GetTempPathW(static_cast<DWORD>(temp.size()), temp.data()));
    const std::wstring marker = temp + L"zorvik-host-" + std::to_wstring(GetCurrentProcessId()) +
                                L"-" + std::to_wstring(++counter) + L".status";
    const std::wstring hostMarker = hostNameUnderWine(marker);
    if (temp.empty() || hostMarker.empty()) {
        return false;
    }
    // a marker an earlier process of the same id left would end the wait before the command
    DeleteFileW(marker.c_str());
    // one argument for the shell: its quotes escaped as the Windows command line reads them
    std::wstring script;
    for (const wchar_t ch : commandLine) {
        script += ch == L'"' ? std::wstring(L"\\\"") : std::wstring(1, ch);
    }
    const auto shell =
        startCommand(L"/bin/sh -c \"" + script + L"; echo $? > \\\"" + hostMarker + L"\\\"\"");
    if (!shell.ok()) {
        return false;
    }
    const std::string markerPath = win32::toUtf8Lossy(marker);
    std::string status;
    for (int wait = 0; wait < 3000 && status.find('\n') == std::string::npos; ++wait) {
        Sleep(10);
        status = readBytes(markerPath).value_or("");
    }
    DeleteFileW(marker.c_str());
    return status == "0\n";
}

std::wstring quotedOnHost(std::string_view path) {
    const std::wstring name = hostNameUnderWine(widePath(path));
    return name.empty() ? name : L"\"" + name + L"\"";
}

std::wstring besideThisProgram(const std::wstring& relative) {
    std::wstring module(32768, L'\0');
    module.resize(GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size())));
    const std::wstring path = module.substr(0, module.find_last_of(L'\\') + 1) + relative;
    std::wstring full(32768, L'\0');
    full.resize(
        GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr));
    return full;
}

Result<HANDLE> startCommand(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return Failure{ErrorCode::NotAvailable, "CreateProcessW " + std::to_string(GetLastError())};
    }
    if (process.hThread != nullptr) {
        CloseHandle(process.hThread);
    }
    return process.hProcess;
}

DWORD exitCodeOf(const std::wstring& commandLine) {
    // Wine's wineserver, loaded by the other tests, now and then refuses a process start that
    // succeeds a moment later: that is the machine, not what the program answers
    auto started = startCommand(commandLine);
    for (int again = 0; again < 5 && !started.ok(); ++again) {
        Sleep(200);
        started = startCommand(commandLine);
    }
    if (!started.ok() || started.value() == nullptr) {
        ADD_FAILURE() << (started.ok() ? "no process" : started.failure().message);
        return 0xFFFF;
    }
    const HANDLE process = started.value();
    if (WaitForSingleObject(process, 60'000) != WAIT_OBJECT_0) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, INFINITE);
    }
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code;
}

bool waitUntil(const std::function<bool()>& done, int seconds) {
    for (int wait = 0; wait < seconds * 100; ++wait) {
        if (done()) {
            return true;
        }
        Sleep(10);
    }
    return done();
}

}  // namespace zorvik::testing
