#include "platform/win32/elevated_places.h"

#include <aclapi.h>

#include "platform/failure_text.h"
#include "platform/win32/file_queries.h"
#include "platform/win32/wide_text.h"

namespace zorvik::win32 {

namespace {

Failure refusedPlace() {
    return failure_text::because(ErrorCode::Unsupported,
                                 failure_text::Detail::OutsideMelodyFolders);
}

// The rights that change what a folder holds, or who may.
constexpr DWORD kChangingRights =
    FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;

// Whether the process behind `requester` is itself elevated: then it holds every right the
// elevated process has, and nothing here is a boundary.
bool isElevated(HANDLE token) {
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

// Whether the requester's own token may change the folder open as `place`; true where it cannot
// be told, so that doubt refuses.
bool requesterMayChange(HANDLE place, HANDLE requester) {
    HANDLE rawToken = nullptr;
    if (!OpenProcessToken(requester, TOKEN_QUERY | TOKEN_DUPLICATE, &rawToken)) {
        return true;
    }
    const Handle token(rawToken);
    if (isElevated(token.get())) {
        return false;
    }
    HANDLE rawIdentity = nullptr;
    if (!DuplicateToken(token.get(), SecurityIdentification, &rawIdentity)) {
        return true;
    }
    const Handle identity(rawIdentity);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(
            place, SE_FILE_OBJECT,
            OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
            nullptr, nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return true;
    }
    GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                               FILE_ALL_ACCESS};
    PRIVILEGE_SET privileges{};
    DWORD privilegesSize = sizeof privileges;
    DWORD granted = 0;
    BOOL allowed = FALSE;
    const BOOL asked = AccessCheck(descriptor, identity.get(), MAXIMUM_ALLOWED, &mapping,
                                   &privileges, &privilegesSize, &granted, &allowed);
    LocalFree(descriptor);
    return !asked || (allowed && (granted & kChangingRights) != 0);
}

}  // namespace

Result<HeldPlaces> HeldPlaces::hold(const std::vector<std::string>& folders, HANDLE requester) {
    HeldPlaces places;
    for (const std::string& folder : folders) {
        const auto wide = apiPath(folder);
        if (!wide.ok()) {
            return refusedPlace();
        }
        // as itself, and without FILE_SHARE_DELETE: it stays this folder while held
        Handle place(CreateFileW(wide.value().c_str(), FILE_LIST_DIRECTORY | READ_CONTROL,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                 nullptr));
        if (!place.valid()) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
                continue;  // nothing there to act on, and the guard finds no place
            }
            return failureOf(error);
        }
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(place.get(), &info) ||
            (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
            (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
            !samePath(finalPathOf(place.get()), toWideLossy(folder)) ||
            requesterMayChange(place.get(), requester)) {
            return refusedPlace();
        }
        places.held_.push_back(std::move(place));
    }
    return places;
}

}  // namespace zorvik::win32
