#include "platform/posix/host_errors.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "texts/failure_text.h"

namespace zorvik::posix {

ErrorCode codeOfErrno(int error) {
    switch (error) {
        case ENOENT:
            return ErrorCode::NotFound;
        case ENOTDIR:
            return ErrorCode::NotAFolder;
        case EISDIR:
            return ErrorCode::IsFolder;
        case EACCES:
        case EPERM:
            return ErrorCode::AccessDenied;
        case EBUSY:
        case ETXTBSY:
            return ErrorCode::InUse;
        case EXDEV:
            return ErrorCode::NotSameVolume;
        case EROFS:
            return ErrorCode::ReadOnly;
        case ENOSPC:
        case EDQUOT:
            return ErrorCode::DiskFull;
        case EFBIG:
            return ErrorCode::TooLarge;
        case ENAMETOOLONG:
            return ErrorCode::InvalidName;
        case EIO:
            return ErrorCode::Io;
        default:
            return ErrorCode::Other;
    }
}

std::string reasonOfErrno(int error) {
    using failure_text::Detail;
    switch (error) {
        case EROFS:
            return std::string(failure_text::reason(Detail::DiskReadOnly));
        case ENAMETOOLONG:
            return std::string(failure_text::reason(Detail::NameTooLong));
        case EMFILE:
        case ENFILE:
            return std::string(failure_text::reason(Detail::TooManyOpenFiles));
        case ELOOP:
            return std::string(failure_text::reason(Detail::TooManyLinks));
        default:
            break;
    }
    const ErrorCode code = codeOfErrno(error);
    if (code == ErrorCode::Other) {
        return failure_text::systemError(static_cast<unsigned long>(error));
    }
    return std::string(failure_text::reason(code));
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.release();
    }
    return *this;
}

FileDescriptor::~FileDescriptor() {
    close();
}

int FileDescriptor::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

int FileDescriptor::close() {
    if (fd_ < 0) {
        return 0;
    }
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
}

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

void syncFolder(const std::string& folder) {
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.valid()) {
        ::fsync(dir.get());
    }
}

}  // namespace zorvik::posix

namespace zorvik::posix {

std::string hostFolderOf(const std::string& hostPath) {
    const auto slash = hostPath.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : hostPath.substr(0, slash);
}

bool makeFolders(const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        if (!S_ISDIR(info.st_mode)) {
            errno = ENOTDIR;  // the reason the user reads: a file stands where the folder goes
            return false;
        }
        return true;
    }
    const auto slash = folder.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeFolders(folder.substr(0, slash))) {
        return false;
    }
    return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace zorvik::posix
