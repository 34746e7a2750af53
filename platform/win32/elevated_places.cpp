#include "platform/win32/elevated_places.h"

#include <aclapi.h>

#include "platform/win32/file_queries.h"
#include "platform/win32/wide_text.h"
#include "texts/failure_text.h"

namespace zorvik::win32 {

namespace {

Failure refusedPlace() {
    return failure_text::because(ErrorCode::Unsupported, failure_text::Detail::NotAMelodyPlace);
}

// The rights that change what a folder holds, or who may.
constexpr DWORD kChangingRights =
    FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER;

// Whether the token of the process behind the requester is itself elevated: then it holds every
// right the elevated process has, and nothing here is a boundary.
bool isElevated(HANDLE token) {
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    return GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
           elevation.TokenIsElevated != 0;
}

GENERIC_MAPPING fileRights() {
    return {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE, FILE_ALL_ACCESS};
}

// Whether the folder's own permissions (not those only its entries inherit) let a group that
// every standard user belongs to change it; a null DACL lets everyone. Asked of the DACL itself,
// so that it holds whoever the requester is, even one this process may not look at.
bool everyUserMayChange(PACL permissions) {
    if (permissions == nullptr) {
        return true;
    }
    ACL_SIZE_INFORMATION size{};
    if (!GetAclInformation(permissions, &size, sizeof size, AclSizeInformation)) {
        return true;
    }
    GENERIC_MAPPING mapping = fileRights();
    for (DWORD index = 0; index < size.AceCount; ++index) {
        void* entry = nullptr;
        if (!GetAce(permissions, index, &entry)) {
            return true;
        }
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE ||
            (header->AceFlags & INHERIT_ONLY_ACE) != 0) {
            continue;
        }
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        ACCESS_MASK rights = allowed->Mask;
        MapGenericMask(&rights, &mapping);
        if ((rights & kChangingRights) == 0) {
            continue;
        }
        for (const WELL_KNOWN_SID_TYPE group :
             {WinWorldSid, WinAuthenticatedUserSid, WinBuiltinUsersSid, WinInteractiveSid}) {
            BYTE sid[SECURITY_MAX_SID_SIZE] = {};
            DWORD sidSize = sizeof sid;
            if (CreateWellKnownSid(group, nullptr, sid, &sidSize) &&
                EqualSid(&allowed->SidStart, sid)) {
                return true;
            }
        }
    }
    return false;
}

// Whether the requester's own token may change the folder described by `descriptor`: its own
// account and groups, where this process may read its token (an administrator who typed a
// password for a standard user may not; the groups above still hold then).
bool requesterMayChange(PSECURITY_DESCRIPTOR descriptor, HANDLE requester) {
    HANDLE rawToken = nullptr;
    if (requester == nullptr ||
        !OpenProcessToken(requester, TOKEN_QUERY | TOKEN_DUPLICATE, &rawToken)) {
        return false;
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
    GENERIC_MAPPING mapping = fileRights();
    PRIVILEGE_SET privileges{};
    DWORD privilegesSize = sizeof privileges;
    DWORD granted = 0;
    BOOL allowed = FALSE;
    const BOOL asked = AccessCheck(descriptor, identity.get(), MAXIMUM_ALLOWED, &mapping,
                                   &privileges, &privilegesSize, &granted, &allowed);
    return !asked || (allowed && (granted & kChangingRights) != 0);
}

// Whether a standard user, the requester above all, may change the folder open as `place`;
// true where it cannot be told, so that doubt refuses.
bool userMayChange(HANDLE place, HANDLE requester) {
    PACL permissions = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(
            place, SE_FILE_OBJECT,
            OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
            nullptr, nullptr, &permissions, nullptr, &descriptor) != ERROR_SUCCESS) {
        return true;
    }
    const bool may = everyUserMayChange(permissions) || requesterMayChange(descriptor, requester);
    LocalFree(descriptor);
    return may;
}

}  // namespace

std::optional<PlaceFacts> placeFactsOf(HANDLE place) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(place, &info)) {
        return std::nullopt;
    }
    return PlaceFacts{info.dwFileAttributes, finalPathOf(place)};
}

Result<HeldPlaces> HeldPlaces::hold(const std::vector<std::string>& folders, HANDLE requester,
                                    const PlaceQuery& query) {
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
        const auto facts = query(place.get());
        if (!facts || (facts->attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
            (facts->attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
            !samePath(facts->finalPath, toWideLossy(folder)) ||
            userMayChange(place.get(), requester)) {
            return refusedPlace();
        }
        places.held_.push_back(std::move(place));
        places.folders_.push_back(wide.value());
    }
    return places;
}

std::vector<Win32FileSteps::Place> HeldPlaces::places() const {
    std::vector<Win32FileSteps::Place> places;
    for (std::size_t index = 0; index < held_.size(); ++index) {
        places.push_back({folders_[index], held_[index].get()});
    }
    return places;
}

}  // namespace zorvik::win32
