#include "platform/win32/file_queries.h"

#include "platform/win32/running_under_wine.h"

namespace zorvik::win32 {

namespace {

bool isSeparator(wchar_t ch) {
    return ch == L'\\' || ch == L'/';
}

// "C:\" and "C:" keep their separator; so does the "\\?\" prefix's own.
std::size_t rootLength(const std::wstring& path) {
    if (path.size() >= 2 && path[1] == L':') {
        return path.size() >= 3 && isSeparator(path[2]) ? 3 : 2;
    }
    if (path.rfind(L"\\\\?\\", 0) == 0) {
        return path.size() >= 7 && path[5] == L':' ? 7 : 4;
    }
    return 0;
}

// The path without the long-path prefix the API takes past MAX_PATH ("\\?\C:\...",
// "\\?\UNC\host\..."): one path, whichever form it was given in.
std::wstring plainForm(const std::wstring& path) {
    if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        return L"\\\\" + path.substr(8);
    }
    return path.rfind(L"\\\\?\\", 0) == 0 ? path.substr(4) : path;
}

}  // namespace

std::wstring withoutTrailingSeparators(std::wstring path) {
    const std::size_t root = rootLength(path);
    while (path.size() > root && isSeparator(path.back())) {
        path.pop_back();
    }
    return path;
}

std::wstring folderOf(const std::wstring& path) {
    const std::wstring whole = withoutTrailingSeparators(path);
    const std::size_t root = rootLength(whole);
    const std::size_t separator = whole.find_last_of(L"\\/");
    if (separator == std::wstring::npos || separator + 1 <= root) {
        return whole.substr(0, root);
    }
    return withoutTrailingSeparators(whole.substr(0, separator));
}

std::optional<DWORD> attributesOf(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return std::nullopt;
    }
    return attributes;
}

ErrorCode codeOfMissing(const std::wstring& path) {
    std::wstring folder = folderOf(path);
    bool parent = true;
    while (!folder.empty()) {
        if (const auto attributes = attributesOf(folder)) {
            if (!isFolder(*attributes)) {
                return ErrorCode::NotAFolder;
            }
            return parent ? ErrorCode::NotFound : ErrorCode::FolderNotFound;
        }
        std::wstring above = folderOf(folder);
        if (above == folder) {
            break;
        }
        folder = std::move(above);
        parent = false;
    }
    return ErrorCode::FolderNotFound;
}

std::wstring finalPathOf(HANDLE handle) {
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length =
            GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return plainForm(path);
        }
        path.resize(length + 1);
    }
    return {};
}

bool samePath(const std::wstring& a, const std::wstring& b) {
    const std::wstring plainA = plainForm(a);
    const std::wstring plainB = plainForm(b);
    return CompareStringOrdinal(plainA.c_str(), static_cast<int>(plainA.size()), plainB.c_str(),
                                static_cast<int>(plainB.size()), TRUE) == CSTR_EQUAL;
}

// The entry's own name as the folder holds it (case included); empty when there is none.
std::wstring ownNameOf(const std::wstring& path) {
    WIN32_FIND_DATAW found{};
    const HANDLE search =
        FindFirstFileExW(path.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        return {};
    }
    FindClose(search);
    return found.cFileName;
}

// Wine shows a host's symbolic link as a plain file and follows it when deleting or renaming:
// the file the handle reached then lies elsewhere than the folder's entry. (On Windows a link is
// a reparse point, seen before this is asked.)
bool reachesElsewhere(HANDLE file, const std::wstring& path, const std::wstring& ownName) {
    if (!runningUnderWine()) {
        return false;
    }
    const Handle folder = openForQuery(folderOf(path));
    if (!folder.valid() || ownName.empty()) {
        return false;
    }
    const std::wstring reached = finalPathOf(file);
    std::wstring expected = finalPathOf(folder.get());
    if (reached.empty() || expected.empty()) {
        return false;
    }
    if (expected.back() != L'\\') {
        expected += L'\\';
    }
    return !samePath(reached, expected + ownName);
}

std::optional<FileIdentity> identityOf(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) {
        return std::nullopt;
    }
    return FileIdentity{
        info.dwVolumeSerialNumber,
        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

bool isLinkItself(HANDLE file) {
    FILE_ATTRIBUTE_TAG_INFO tag{};
    return GetFileInformationByHandleEx(file, FileAttributeTagInfo, &tag, sizeof tag) &&
           (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
           IsReparseTagNameSurrogate(tag.ReparseTag);
}

Handle openForQuery(const std::wstring& path) {
    return Handle(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

}  // namespace zorvik::win32
