#include "platform/win32/wide_text.h"

#include <windows.h>

#include <algorithm>
#include <climits>

#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik::win32 {

namespace {

// Both conversions refuse input beyond what an int counts; no text of this program comes near.
bool fitsInt(std::size_t size) {
    return size <= static_cast<std::size_t>(INT_MAX);
}

std::optional<std::wstring> widen(std::string_view utf8, DWORD flags) {
    if (utf8.empty()) {
        return std::wstring();
    }
    if (!fitsInt(utf8.size())) {
        return std::nullopt;
    }
    const int length = static_cast<int>(utf8.size());
    const int needed = MultiByteToWideChar(CP_UTF8, flags, utf8.data(), length, nullptr, 0);
    if (needed <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    if (MultiByteToWideChar(CP_UTF8, flags, utf8.data(), length, wide.data(), needed) != needed) {
        return std::nullopt;
    }
    return wide;
}

std::optional<std::string> narrow(std::wstring_view wide, DWORD flags) {
    if (wide.empty()) {
        return std::string();
    }
    if (!fitsInt(wide.size())) {
        return std::nullopt;
    }
    const int length = static_cast<int>(wide.size());
    const int needed =
        WideCharToMultiByte(CP_UTF8, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) {
        return std::nullopt;
    }
    std::string utf8(static_cast<std::size_t>(needed), '\0');
    if (WideCharToMultiByte(CP_UTF8, flags, wide.data(), length, utf8.data(), needed, nullptr,
                            nullptr) != needed) {
        return std::nullopt;
    }
    return utf8;
}

bool isDriveAbsolute(std::wstring_view path) {
    return path.size() >= 3 && path[1] == L':' && path[2] == L'\\' &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

bool isUnc(std::wstring_view path) {
    return path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' &&
           path[2] != L'.';
}

// Below this length every API takes a plain path (CreateDirectoryW stops at MAX_PATH - 12).
constexpr std::size_t kPlainPathLimit = MAX_PATH - 12;

}  // namespace

std::optional<std::wstring> toWide(std::string_view utf8) {
    return widen(utf8, MB_ERR_INVALID_CHARS);
}

std::optional<std::string> toUtf8(std::wstring_view wide) {
    return narrow(wide, WC_ERR_INVALID_CHARS);
}

std::wstring toWideLossy(std::string_view utf8) {
    return widen(utf8, 0).value_or(std::wstring());
}

std::string toUtf8Lossy(std::wstring_view wide) {
    return narrow(wide, 0).value_or(std::string());
}

Result<std::wstring> apiPath(std::string_view path) {
    auto wide = toWide(path);
    if (!wide) {
        return Failure{
            ErrorCode::InvalidName,
            failure_text::filled(texts::kNotWindowsText, {toUtf8Lossy(toWideLossy(path))})};
    }
    std::replace(wide->begin(), wide->end(), L'/', L'\\');
    if (wide->size() < kPlainPathLimit || !(isDriveAbsolute(*wide) || isUnc(*wide))) {
        return std::move(*wide);
    }
    // "\\?\" turns off Windows' own clean-up of the path, so Windows does it first.
    const DWORD needed = GetFullPathNameW(wide->c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return std::move(*wide);
    }
    std::wstring full(needed, L'\0');
    const DWORD written = GetFullPathNameW(wide->c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed) {
        return std::move(*wide);
    }
    full.resize(written);
    if (isUnc(full)) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

}  // namespace zorvik::win32
