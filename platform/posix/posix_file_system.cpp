#include "platform/posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <memory>
#include <utility>
#include <vector>

#include "platform/failure_text.h"
#include "platform/posix/host_errors.h"
#include "platform/windows_path.h"
#include "platform/windows_text.h"

namespace zorvik::posix {

namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

std::string hostFolderOf(const std::string& hostPath) {
    const auto slash = hostPath.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? std::string("/") : hostPath.substr(0, slash);
}

bool isWritableByOwner(const struct stat& info) {
    return (info.st_mode & S_IWUSR) != 0;
}

// The copy of one opened source into a temporary file beside the destination, renamed over it
// at the end: the destination holds its old content or the whole new one, never a part.
class AtomicCopy {
public:
    AtomicCopy(std::string_view source, std::string_view destination)
        : source_(source), destination_(destination) {}

    ~AtomicCopy() {
        if (!temporary_.empty()) {
            ::unlink(temporary_.c_str());
        }
    }

    Status run(int sourceFd, const struct stat& sourceInfo, const std::string& hostDestination) {
        const std::string folder = hostFolderOf(hostDestination);
        std::string pattern = folder + "/.zorvik-copy-XXXXXX.tmp";
        FileDescriptor out(::mkostemps(pattern.data(), 4, O_CLOEXEC));
        if (!out.valid()) {
            return failWithErrno(errno);
        }
        temporary_ = pattern;
        std::vector<char> buffer(1 << 18);
        for (;;) {
            const ssize_t got = ::read(sourceFd, buffer.data(), buffer.size());
            if (got < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return failWithErrno(errno);
            }
            if (got == 0) {
                break;
            }
            if (!writeAll(out.get(), buffer.data(), static_cast<std::size_t>(got))) {
                return failWithErrno(errno);
            }
        }
        ::fchmod(out.get(), sourceInfo.st_mode & 0777);
        const struct timespec times[2] = {sourceInfo.st_atim, sourceInfo.st_mtim};
        ::futimens(out.get(), times);
        if (::fsync(out.get()) != 0 || out.close() != 0) {
            return failWithErrno(errno);
        }
        if (::rename(temporary_.c_str(), hostDestination.c_str()) != 0) {
            return failWithErrno(errno);
        }
        temporary_.clear();
        syncFolder(folder);
        return Status::success();
    }

    Status fail(ErrorCode code, std::string_view why = {}) const {
        return failure_text::copyFailed(code, source_, destination_, why);
    }
    Status failWithErrno(int error) const { return fail(codeOfErrno(error), reasonOfErrno(error)); }

private:
    std::string_view source_;
    std::string_view destination_;
    std::string temporary_;
};

}  // namespace

PosixFileSystem::PosixFileSystem(DriveMap drives) : drives_(std::move(drives)) {
    // A write beyond the file size limit must fail like a full disk, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
}

Result<std::vector<std::string>> PosixFileSystem::listMelodies(std::string_view folder) const {
    const auto host = drives_.resolve(folder);
    if (!host.ok()) {
        return failure_text::folderFailed(host.failure().code, folder);
    }
    std::unique_ptr<DIR, DirCloser> dir(opendir(host.value().c_str()));
    if (!dir) {
        const int error = errno;
        const ErrorCode code =
            (error == ENOENT || error == ENOTDIR) ? ErrorCode::FolderNotFound : codeOfErrno(error);
        return failure_text::folderFailed(code, folder,
                                          code == ErrorCode::FolderNotFound
                                              ? std::string_view{}
                                              : std::string_view(reasonOfErrno(error)));
    }
    std::vector<std::pair<std::string, std::string>> keyed;  // folded name, name
    const int dirFd = dirfd(dir.get());
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (!text::matchesWavPattern(name) || !text::isValidWindowsName(name)) {
            continue;
        }
        bool isFile = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            isFile = fstatat(dirFd, entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
        }
        if (isFile) {
            keyed.emplace_back(text::foldCase(name), name);
        }
    }
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::string> names;
    names.reserve(keyed.size());
    for (auto& [key, name] : keyed) {
        names.push_back(std::move(name));
    }
    return names;
}

Status PosixFileSystem::copyFile(std::string_view source, std::string_view destination) {
    AtomicCopy copy(source, destination);
    if (winpath::endsWithSeparator(source)) {
        return copy.fail(ErrorCode::IsFolder, "изходният файл е папка");
    }
    const auto hostSource = drives_.resolve(source);
    if (!hostSource.ok()) {
        return copy.fail(hostSource.failure().code);
    }
    const auto hostDestination = drives_.resolve(destination);
    if (!hostDestination.ok()) {
        return copy.fail(hostDestination.failure().code);
    }
    if (winpath::endsWithSeparator(destination)) {
        return copy.fail(ErrorCode::IsFolder, "целта е папка");
    }
    // O_NONBLOCK keeps a FIFO that poses as a melody from hanging the window.
    FileDescriptor in(::open(hostSource.value().c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!in.valid()) {
        const int error = errno;
        if (error == ENOENT || error == ENOTDIR) {
            return copy.fail(ErrorCode::NotFound, "изходният файл не съществува");
        }
        return copy.failWithErrno(error);
    }
    struct stat sourceInfo {};
    if (::fstat(in.get(), &sourceInfo) != 0) {
        return copy.failWithErrno(errno);
    }
    if (S_ISDIR(sourceInfo.st_mode)) {
        return copy.fail(ErrorCode::IsFolder, "изходният файл е папка");
    }
    if (!S_ISREG(sourceInfo.st_mode)) {
        return copy.fail(ErrorCode::Unsupported, "изходният файл не е обикновен файл");
    }
    ::fcntl(in.get(), F_SETFL, 0);

    struct stat folderInfo {};
    const std::string hostFolder = hostFolderOf(hostDestination.value());
    if (::stat(hostFolder.c_str(), &folderInfo) != 0 || !S_ISDIR(folderInfo.st_mode)) {
        return copy.fail(ErrorCode::FolderNotFound, "папката на целта не съществува");
    }
    struct stat destinationInfo {};
    if (::stat(hostDestination.value().c_str(), &destinationInfo) == 0) {
        if (S_ISDIR(destinationInfo.st_mode)) {
            return copy.fail(ErrorCode::IsFolder, "целта е папка");
        }
        if (destinationInfo.st_dev == sourceInfo.st_dev &&
            destinationInfo.st_ino == sourceInfo.st_ino) {
            return copy.fail(ErrorCode::SameFile);
        }
        if (!isWritableByOwner(destinationInfo)) {
            return copy.fail(ErrorCode::ReadOnly, "целта е файл само за четене");
        }
    }
    return copy.run(in.get(), sourceInfo, hostDestination.value());
}

Status PosixFileSystem::deleteFile(std::string_view path) {
    if (winpath::endsWithSeparator(path) || winpath::fileName(path).empty()) {
        return failure_text::deleteFailed(ErrorCode::NotFound, path, "пътят не назовава файл");
    }
    const auto host = drives_.resolve(path);
    if (!host.ok()) {
        return failure_text::deleteFailed(host.failure().code, path);
    }
    struct stat info {};
    if (::lstat(host.value().c_str(), &info) != 0) {
        const int error = errno;
        return failure_text::deleteFailed(
            error == ENOTDIR ? ErrorCode::NotFound : codeOfErrno(error), path,
            error == ENOENT || error == ENOTDIR ? std::string_view{} : reasonOfErrno(error));
    }
    if (S_ISDIR(info.st_mode)) {
        return failure_text::deleteFailed(ErrorCode::IsFolder, path);
    }
    if (S_ISREG(info.st_mode) && !isWritableByOwner(info)) {
        return failure_text::deleteFailed(ErrorCode::ReadOnly, path);
    }
    if (::unlink(host.value().c_str()) != 0) {
        const int error = errno;
        return failure_text::deleteFailed(codeOfErrno(error), path, reasonOfErrno(error));
    }
    syncFolder(hostFolderOf(host.value()));
    return Status::success();
}

Result<std::string> PosixFileSystem::hostPath(std::string_view path) const {
    return drives_.resolve(path);
}

}  // namespace zorvik::posix
