#include "platform/win32/win32_errors.h"

#include "texts/failure_text.h"

namespace zorvik::win32 {

namespace {

// ERROR_DISK_QUOTA_EXCEEDED, which MinGW's headers lack
constexpr DWORD kDiskQuotaExceeded = 1295;

}  // namespace

Failure failureOf(DWORD error) {
    return {codeOfError(error), reasonOfError(error)};
}

ErrorCode codeOfError(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
            return ErrorCode::NotFound;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return ErrorCode::FolderNotFound;
        case ERROR_DIRECTORY:
            return ErrorCode::NotAFolder;
        case ERROR_ACCESS_DENIED:
        case ERROR_PRIVILEGE_NOT_HELD:
            return ErrorCode::AccessDenied;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_USER_MAPPED_FILE:
            return ErrorCode::InUse;
        case ERROR_NOT_SAME_DEVICE:
            return ErrorCode::NotSameVolume;
        case ERROR_WRITE_PROTECT:
            return ErrorCode::ReadOnly;
        case ERROR_HANDLE_DISK_FULL:
        case ERROR_DISK_FULL:
        case kDiskQuotaExceeded:
            return ErrorCode::DiskFull;
        case ERROR_FILE_TOO_LARGE:
            return ErrorCode::TooLarge;
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_FILENAME_EXCED_RANGE:
        case ERROR_NO_UNICODE_TRANSLATION:
            return ErrorCode::InvalidName;
        case ERROR_INVALID_DRIVE:
        case ERROR_NOT_READY:
        case ERROR_DEV_NOT_EXIST:
            return ErrorCode::NoDrive;
        case ERROR_CRC:
        case ERROR_SECTOR_NOT_FOUND:
        case ERROR_WRITE_FAULT:
        case ERROR_READ_FAULT:
        case ERROR_GEN_FAILURE:
        case ERROR_IO_DEVICE:
        case ERROR_NETNAME_DELETED:
        case ERROR_UNEXP_NET_ERR:
            return ErrorCode::Io;
        case ERROR_FILE_CORRUPT:
        case ERROR_DISK_CORRUPT:
        case ERROR_BADDB:
        case ERROR_BADKEY:
            return ErrorCode::Corrupt;
        case ERROR_NOT_SUPPORTED:
        case ERROR_INVALID_FUNCTION:
            return ErrorCode::Unsupported;
        case ERROR_CANCELLED:
        case ERROR_OPERATION_ABORTED:
            return ErrorCode::Cancelled;
        default:
            return ErrorCode::Other;
    }
}

std::string reasonOfError(DWORD error) {
    using failure_text::Detail;
    const auto because = [](Detail detail) { return std::string(failure_text::reason(detail)); };
    switch (error) {
        case ERROR_WRITE_PROTECT:
            return because(Detail::DiskWriteProtected);
        case ERROR_NOT_READY:
            return because(Detail::DeviceNotReady);
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return because(Detail::NetworkPathUnavailable);
        case ERROR_NETNAME_DELETED:
        case ERROR_UNEXP_NET_ERR:
            return because(Detail::NetworkConnectionLost);
        case ERROR_FILENAME_EXCED_RANGE:
            return because(Detail::PathTooLong);
        case ERROR_NOT_ENOUGH_MEMORY:
        case ERROR_OUTOFMEMORY:
            return because(Detail::OutOfMemory);
        case ERROR_TOO_MANY_OPEN_FILES:
            return because(Detail::TooManyOpenFiles);
        default:
            break;
    }
    const ErrorCode code = codeOfError(error);
    if (code == ErrorCode::Other) {
        return failure_text::systemError(error);
    }
    return std::string(failure_text::reason(code));
}

}  // namespace zorvik::win32
