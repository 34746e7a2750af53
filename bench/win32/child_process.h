#pragma once

#include <windows.h>

#include <string>

// For the Windows benchmarks: the performance counter, which every process of the machine (and
// of one Wine server) shares, and programs run to their end with their output caught.
namespace zorvik::bench {

inline long long counterNow() {
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

inline double counterSeconds(long long ticks) {
    static const long long frequency = [] {
        LARGE_INTEGER perSecond{};
        QueryPerformanceFrequency(&perSecond);
        return perSecond.QuadPart;
    }();
    return static_cast<double>(ticks) / static_cast<double>(frequency);
}

struct ChildRun {
    long long startedAt = 0;  // on the counter, just before the process was created
    std::string output;       // everything it wrote to its standard output
    bool ran = false;
};

// Runs `executable` with `arguments` (already quoted as a command line wants them) until it ends.
inline ChildRun runChild(const std::wstring& executable, const std::wstring& arguments = L"") {
    ChildRun run;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherited, 0)) {
        return run;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    std::wstring commandLine = L"\"" + executable + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    run.startedAt = counterNow();
    run.ran = CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                             nullptr, nullptr, &startup, &process) != FALSE;
    CloseHandle(writeEnd);
    char buffer[4096];
    DWORD got = 0;
    while (run.ran && ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        run.output.append(buffer, got);
    }
    CloseHandle(readEnd);
    if (run.ran) {
        WaitForSingleObject(process.hProcess, INFINITE);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    return run;
}

// The folder of the running program, without a trailing backslash.
inline std::wstring programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
           path.size()) {
        path.resize(path.size() * 2);
    }
    path.resize(length);
    return path.substr(0, path.find_last_of(L'\\'));
}

}  // namespace zorvik::bench
