#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "platform/win32/file_queries.h"
#include "platform/win32/wide_text.h"
#include "platform/windows_path.h"
#include "platform/windows_text.h"
#include "texts/failure_text.h"

namespace zorvik::win32 {

namespace {

class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (valid()) {
            FindClose(handle_);
        }
    }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// Windows' "*.wav" also matches 8.3 short names ("a.wave", "longername.wavx") and folders, and
// a name Windows reserves (made through a "\\?\" path) would open a device: the list shows none
// of these.
bool belongsInList(const WIN32_FIND_DATAW& found, std::string_view name) {
    return !isFolder(found.dwFileAttributes) && text::matchesWavPattern(name) &&
           text::isValidWindowsName(name);
}

}  // namespace

Result<std::vector<std::string>> Win32FileSystem::listMelodies(std::string_view folder) const {
    const auto wide = apiPath(folder);
    if (!wide.ok()) {
        return failure_text::folderFailed(ErrorCode::InvalidName, folder);
    }
    const std::wstring where = withoutTrailingSeparators(wide.value());
    const auto attributes = attributesOf(where);
    if (!attributes) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
            error == ERROR_DIRECTORY) {
            const ErrorCode code = codeOfMissing(where);
            return failure_text::folderFailed(
                code == ErrorCode::NotAFolder ? code : ErrorCode::FolderNotFound, folder);
        }
        return failure_text::folderFailed(codeOfError(error), folder, reasonOfError(error));
    }
    if (!isFolder(*attributes)) {
        return failure_text::folderFailed(
            ErrorCode::NotAFolder, folder,
            failure_text::reason(failure_text::Detail::ListedFolderIsFile));
    }
    std::wstring pattern = where;
    if (pattern.back() != L'\\') {
        pattern += L'\\';
    }
    pattern += L"*.wav";
    WIN32_FIND_DATAW found{};
    const FindHandle search(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                             FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH));
    std::vector<std::pair<std::string, std::string>> keyed;  // folded name, name
    if (!search.valid()) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) {
            return std::vector<std::string>{};
        }
        if (error == ERROR_PATH_NOT_FOUND) {
            return failure_text::folderFailed(ErrorCode::FolderNotFound, folder);
        }
        return failure_text::folderFailed(codeOfError(error), folder, reasonOfError(error));
    }
    do {
        // a name that is not valid UTF-16 cannot be named back to Windows: it is left out
        auto name = toUtf8(found.cFileName);
        if (name && belongsInList(found, *name)) {
            keyed.emplace_back(text::foldCase(*name), std::move(*name));
        }
    } while (FindNextFileW(search.get(), &found));
    if (const DWORD error = GetLastError(); error != ERROR_NO_MORE_FILES) {
        return failure_text::folderFailed(codeOfError(error), folder, reasonOfError(error));
    }
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::string> names;
    names.reserve(keyed.size());
    for (auto& [key, name] : keyed) {
        names.push_back(std::move(name));
    }
    return names;
}

Result<std::string> Win32FileSystem::hostPath(std::string_view path) const {
    if (!toWide(path)) {
        return Failure{ErrorCode::InvalidName, {}};
    }
    return std::string(path);
}

}  // namespace zorvik::win32
