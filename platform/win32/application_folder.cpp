#include "platform/win32/application_folder.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace zorvik::win32 {

std::string applicationFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        // a full buffer may hold a cut path: only a shorter result is whole
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    // Without the trailing backslash even at a drive's root ("C:"), since callers append
    // "\Rings" to it.
    const auto separator = path.find_last_of(L'\\');
    path.resize(separator == std::wstring::npos ? 0 : separator);
    return toUtf8(path).value_or(toUtf8Lossy(path));
}

}  // namespace zorvik::win32
