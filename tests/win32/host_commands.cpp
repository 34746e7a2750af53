#include "tests/win32/host_commands.h"

#include <windows.h>

namespace zorvik::testing {

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

bool runOnHost(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

bool waitUntil(const std::function<bool()>& done) {
    for (int wait = 0; wait < 500; ++wait) {
        if (done()) {
            return true;
        }
        Sleep(10);
    }
    return done();
}

}  // namespace zorvik::testing
