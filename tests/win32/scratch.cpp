#include "tests/win32/scratch.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>

#include "platform/win32/wide_text.h"

namespace zorvik::testing {

namespace {

std::string uniqueSuffix() {
    static std::atomic<unsigned> counter{0};
    return std::to_string(GetCurrentProcessId()) + "-" + std::to_string(counter.fetch_add(1));
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
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                removeTree(entry);
            } else {
                SetFileAttributesW(entry.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(entry.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
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
    path_ = win32::toUtf8Lossy(temp) + "Зорвик-проба-" + uniqueSuffix();
    makeFolders(path_);
}

ScratchFolder::~ScratchFolder() {
    removeTree(widePath(path_));
}

ScratchKey::ScratchKey()
    : branch_("ZorvikTests\\Проба-" + uniqueSuffix()), key_(branch_ + "\\Setings") {}

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

}  // namespace zorvik::testing
