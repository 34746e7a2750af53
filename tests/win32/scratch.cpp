#include "tests/win32/scratch.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>

#include "platform/win32/wide_text.h"

namespace zorvik::testing {

namespace {

// Wine hands out the process ids of ended processes again, so an id is no name of its own: a
// name is taken only by the call that creates it, and the next one is tried while it is taken.
std::wstring nextCandidate() {
    static std::atomic<unsigned> counter{0};
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(now.QuadPart) + L"-" +
           std::to_wstring(counter.fetch_add(1));
}

// Names such as "con.wav", "nul.wav" or "aux .wav" name devices, or lose their end, unless the
// path says it is to be taken as written.
std::wstring literalPath(const std::wstring& path) {
    constexpr std::wstring_view kLiteral = L"\\\\?\\";
    return path.starts_with(kLiteral) ? path : std::wstring(kLiteral) + path;
}

void removeTree(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring entry = path + L"\\" + name;
            const DWORD attributes = found.dwFileAttributes;
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                // a link to a folder goes by itself: what it leads to is no test's to remove
                if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
                    RemoveDirectoryW(entry.c_str());
                } else {
                    removeTree(entry);
                }
            } else {
                SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(entry.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryW(path.c_str());
}

}  // namespace

std::wstring widePath(std::string_view path) {
    auto wide = win32::apiPath(path);
    if (!wide.ok()) {
        throw std::invalid_argument("not UTF-8: " + std::string(path));
    }
    return wide.value();
}

ScratchFolder::ScratchFolder() {
    std::wstring temp(MAX_PATH + 1, L'\0');
    temp.resize(GetTempPathW(static_cast<DWORD>(temp.size()), temp.data()));
    makeFolders(win32::toUtf8Lossy(temp));
    for (;;) {
        const std::wstring candidate = temp + L"Зорвик-проба-" + nextCandidate();
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = win32::toUtf8Lossy(candidate);
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            throw std::runtime_error("no scratch folder in " + win32::toUtf8Lossy(temp));
        }
    }
}

ScratchFolder::~ScratchFolder() {
    removeTree(literalPath(widePath(path_)));
}

ScratchKey::ScratchKey() {
    for (;;) {
        const std::wstring branch = L"ZorvikTests\\Проба-" + nextCandidate();
        HKEY created = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, branch.c_str(), 0, nullptr, 0, KEY_READ, nullptr,
                            &created, &disposition) != ERROR_SUCCESS) {
            throw std::runtime_error("no scratch key below HKEY_CURRENT_USER\\ZorvikTests");
        }
        RegCloseKey(created);
        if (disposition == REG_CREATED_NEW_KEY) {
            branch_ = win32::toUtf8Lossy(branch);
            key_ = branch_ + "\\Setings";
            return;
        }
    }
}

ScratchKey::~ScratchKey() {
    RegDeleteTreeW(HKEY_CURRENT_USER, win32::toWideLossy(branch_).c_str());
    // fails while another test's branch is still there, as it should
    RegDeleteKeyW(HKEY_CURRENT_USER, L"ZorvikTests");
}

void makeFolders(std::string_view path) {
    const std::wstring wide = widePath(path);
    for (std::size_t at = wide.find(L'\\', 3); at != std::wstring::npos;
         at = wide.find(L'\\', at + 1)) {
        CreateDirectoryW(wide.substr(0, at).c_str(), nullptr);
    }
    CreateDirectoryW(wide.c_str(), nullptr);
}

void writeBytes(std::string_view path, std::string_view bytes) {
    const HANDLE file = CreateFileW(widePath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        throw std::runtime_error("cannot write " + std::string(path));
    }
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

std::optional<std::string> readBytes(std::string_view path) {
    const HANDLE file = CreateFileW(widePath(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        bytes.append(buffer, got);
    }
    CloseHandle(file);
    return bytes;
}

std::vector<std::string> entriesOf(std::string_view folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((widePath(folder) + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") {
            names.push_back(win32::toUtf8Lossy(name));
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string listing(std::string_view folder) {
    std::string names;
    for (const std::string& name : entriesOf(folder)) {
        names += (names.empty() ? "" : " ") + name;
    }
    return names;
}

}  // namespace zorvik::testing
