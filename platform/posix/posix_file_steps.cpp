// The steps of a copy, a move and a delete on a POSIX host, each one call or two.
#include "platform/posix/posix_file_steps.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>
#include <utility>

#include "platform/temporary_names.h"
#include "texts/failure_text.h"

namespace zorvik::posix {

namespace {

using temporary_names::kCopyPrefix;
using temporary_names::kSuffix;

Failure hostFailure(int error) {
    return {codeOfErrno(error), reasonOfErrno(error)};
}

std::string inFolder(const std::string& folder, std::string_view name) {
    std::string path = folder;
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    path += name;
    return path;
}

std::string randomName() {
    unsigned char bytes[8] = {};
    if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        const auto fallback = static_cast<unsigned long long>(::getpid()) ^
                              static_cast<unsigned long long>(::time(nullptr)) << 20;
        for (std::size_t i = 0; i < sizeof bytes; ++i) {
            bytes[i] ^= static_cast<unsigned char>(fallback >> (8 * i));
        }
    }
    std::string name(kCopyPrefix);
    for (const unsigned char byte : bytes) {
        name += "0123456789abcdefghijklmnopqrstuv"[byte % 32];
    }
    name += kSuffix;
    return name;
}

int lockNow(int fd) {
    int result = 0;
    do {
        result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    return result;
}

// Whether `fd` holds the lock on the file that still bears the name `path`: a sweeper may have
// taken the name away between its creation (or opening) and the lock.
bool lockedUnderName(int fd, const std::string& path) {
    struct stat opened {};
    struct stat named {};
    return lockNow(fd) == 0 && ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 &&
           opened.st_ino == named.st_ino && opened.st_dev == named.st_dev;
}

FileDescriptor holdFile(const std::string& path, int flags) {
    FileDescriptor fd(::open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW));
    if (!fd.valid() || !lockedUnderName(fd.get(), path)) {
        return FileDescriptor();
    }
    return fd;
}

timespec fromNanoseconds(std::uint64_t value) {
    return {static_cast<time_t>(value / 1000000000u), static_cast<long>(value % 1000000000u)};
}

}  // namespace

int PosixFileSteps::held(const std::string& temporary) {
    const std::lock_guard lock(heldMutex_);
    const auto found = held_.find(temporary);
    return found == held_.end() ? -1 : found->second.get();
}

void PosixFileSteps::hold(const std::string& temporary, FileDescriptor descriptor) {
    const std::lock_guard lock(heldMutex_);
    held_[temporary] = std::move(descriptor);
}

void PosixFileSteps::release(const std::string& temporary) {
    const std::lock_guard lock(heldMutex_);
    held_.erase(temporary);
}

Result<EntryFacts> PosixFileSteps::inspect(const std::string& path, LinkHandling links) {
    struct stat info {};
    const int result =
        links == LinkHandling::Follow ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
    EntryFacts facts;
    if (result != 0) {
        const int error = errno;
        if (error == ENOTDIR) {
            facts.missing = ErrorCode::NotAFolder;
            return facts;
        }
        if (error != ENOENT) {
            return hostFailure(error);
        }
        struct stat folder {};
        if (::stat(hostFolderOf(path).c_str(), &folder) != 0) {
            facts.missing = errno == ENOTDIR ? ErrorCode::NotAFolder : ErrorCode::FolderNotFound;
        } else if (!S_ISDIR(folder.st_mode)) {
            facts.missing = ErrorCode::NotAFolder;
        }
        return facts;
    }
    if (S_ISREG(info.st_mode)) {
        facts.kind = EntryKind::File;
    } else if (S_ISDIR(info.st_mode)) {
        facts.kind = EntryKind::Folder;
    } else if (S_ISLNK(info.st_mode)) {
        facts.kind = EntryKind::Link;
    } else {
        facts.kind = EntryKind::Other;
    }
    facts.readOnly = S_ISREG(info.st_mode) && (info.st_mode & S_IWUSR) == 0;
    facts.identity = {static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
    facts.size = static_cast<std::uint64_t>(info.st_size);
    facts.modified = static_cast<std::uint64_t>(info.st_mtim.tv_sec) * 1000000000u +
                     static_cast<std::uint64_t>(info.st_mtim.tv_nsec);
    return facts;
}

Status PosixFileSteps::checkRemovable(const std::string& path) {
    // The folder must be writable, and a sticky folder lets only the owners remove an entry;
    // judged by the effective ids, as the removal itself will be.
    const std::string folder = hostFolderOf(path);
    struct stat folderInfo {};
    struct stat fileInfo {};
    const uid_t me = ::geteuid();
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0 &&
        ::stat(folder.c_str(), &folderInfo) == 0 && ::lstat(path.c_str(), &fileInfo) == 0 &&
        ((folderInfo.st_mode & S_ISVTX) == 0 || me == 0 || me == folderInfo.st_uid ||
         me == fileInfo.st_uid)) {
        return Status::success();
    }
    return failure_text::because(ErrorCode::AccessDenied, failure_text::Detail::SourceNotRemovable);
}

Result<std::string> PosixFileSteps::createTemporary(const std::string& folder) {
    int error = 0;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const std::string path = inFolder(folder, randomName());
        FileDescriptor created(
            ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (!created.valid()) {
            error = errno;
            if (error == EEXIST) {
                continue;
            }
            return hostFailure(error);
        }
        if (lockedUnderName(created.get(), path)) {
            hold(path, std::move(created));
            return path;
        }
        error = EEXIST;
    }
    return hostFailure(error);
}

Status PosixFileSteps::writeBlock(const std::string& temporary, std::uint64_t offset,
                                  std::span<const char> bytes) {
    const int fd = held(temporary);
    while (!bytes.empty()) {
        const ssize_t written =
            ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return hostFailure(errno);
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
        offset += static_cast<std::uint64_t>(written);
    }
    return Status::success();
}

Status PosixFileSteps::writeHole(const std::string& temporary, std::uint64_t offset,
                                 std::uint64_t length) {
    // writes go at their offsets, so growing the file leaves the hole unwritten
    if (::ftruncate(held(temporary), static_cast<off_t>(offset + length)) != 0) {
        return hostFailure(errno);
    }
    return Status::success();
}

Status PosixFileSteps::finishTemporary(const std::string& temporary, const ContentFacts& facts,
                                       bool keepReadOnly) {
    const int fd = held(temporary);
    if (::ftruncate(fd, static_cast<off_t>(facts.size)) != 0) {
        return hostFailure(errno);
    }
    // A copy is the user's to replace later (the ring file above all): a read-only source must
    // not make its copy read-only, or the next choice of a ring melody would fail. A moved file
    // stays what it was.
    const mode_t mode = static_cast<mode_t>(facts.attributes) & 0777;
    ::fchmod(fd, keepReadOnly ? mode : mode | S_IWUSR);
    const timespec times[2] = {fromNanoseconds(facts.accessed), fromNanoseconds(facts.modified)};
    ::futimens(fd, times);
    return Status::success();
}

Status PosixFileSteps::flushTemporary(const std::string& temporary) {
    if (::fsync(held(temporary)) != 0) {
        return hostFailure(errno);
    }
    return Status::success();
}

Status PosixFileSteps::renameIntoPlace(const std::string& temporary,
                                       const std::string& destination) {
    if (::rename(temporary.c_str(), destination.c_str()) != 0) {
        return hostFailure(errno);
    }
    release(temporary);
    return Status::success();
}

void PosixFileSteps::removeTemporary(const std::string& temporary) {
    // removed while still held, so that no sweeper can take it for abandoned midway
    ::unlink(temporary.c_str());
    release(temporary);
}

void PosixFileSteps::letGo(const std::string& temporary) {
    release(temporary);
}

Status PosixFileSteps::moveInOneStep(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        const int error = errno;
        if (error == EXDEV) {
            return Failure{ErrorCode::NotSameVolume, {}};
        }
        return hostFailure(error);
    }
    return Status::success();
}

Result<KeptAside> PosixFileSteps::keepAside(const std::string& destination,
                                            const std::string& kept) {
    // a second name keeps the destination in place while it is kept aside
    const bool linked = ::link(destination.c_str(), kept.c_str()) == 0;
    if (!linked) {
        const int error = errno;
        // a file system without hard links: the destination steps aside instead
        if ((error != EPERM && error != ENOTSUP && error != EMLINK) ||
            ::renameat2(AT_FDCWD, destination.c_str(), AT_FDCWD, kept.c_str(), RENAME_NOREPLACE) !=
                0) {
            return hostFailure(error == EEXIST ? error : errno);
        }
    }
    hold(kept, holdFile(kept, O_RDONLY));
    return KeptAside{kept, linked};
}

Status PosixFileSteps::putBack(const std::string& kept, const std::string& destination) {
    if (::rename(kept.c_str(), destination.c_str()) != 0) {
        return hostFailure(errno);
    }
    release(kept);
    return Status::success();
}

Status PosixFileSteps::removeFile(const std::string& path, bool) {
    // the folder's rights decide, whatever the file's own bits say, as a move on Windows
    if (::unlink(path.c_str()) != 0) {
        return hostFailure(errno);
    }
    return Status::success();
}

void PosixFileSteps::syncFolder(const std::string& folder) {
    posix::syncFolder(folder.empty() ? std::string("/") : folder);
}

void PosixFileSteps::removeAbandonedTemporaries(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        // a kept-aside file is an older namesake, the only copy of it: never swept
        if (!temporary_names::isGiven(entry->d_name, kCopyPrefix)) {
            continue;
        }
        const std::string path = inFolder(folder, entry->d_name);
        // a live writer holds its lock until the rename: only an unheld file is abandoned
        if (const FileDescriptor fd = holdFile(path, O_RDONLY | O_NONBLOCK); fd.valid()) {
            ::unlink(path.c_str());
        }
    }
    ::closedir(dir);
}

}  // namespace zorvik::posix
