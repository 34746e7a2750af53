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

bool isWritableByOwner(const struct stat& info) {
    return (info.st_mode & S_IWUSR) != 0;
}

// The reason a resolve failure carries (it names the file in a NotAFolder), else the code's.
std::string_view whyOf(const Failure& failure) {
    return failure.message;
}

}  // namespace

PosixFileSystem::PosixFileSystem(DriveMap drives) : drives_(std::move(drives)) {
    // A write beyond the file size limit must fail like a full disk, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
}

Result<std::vector<std::string>> PosixFileSystem::listMelodies(std::string_view folder) const {
    const std::string shown = displayPath(folder);
    const auto host = drives_.resolve(folder);
    if (!host.ok()) {
        return failure_text::folderFailed(host.failure().code, shown, whyOf(host.failure()));
    }
    std::unique_ptr<DIR, DirCloser> dir(opendir(host.value().c_str()));
    if (!dir) {
        const int error = errno;
        if (error == ENOENT) {
            return failure_text::folderFailed(ErrorCode::FolderNotFound, shown);
        }
        if (error == ENOTDIR) {
            return failure_text::folderFailed(ErrorCode::NotAFolder, shown,
                                              "това е файл, а не папка");
        }
        return failure_text::folderFailed(codeOfErrno(error), shown, reasonOfErrno(error));
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

Status PosixFileSystem::deleteFile(std::string_view path) {
    const std::string shown = displayPath(path);
    if (winpath::endsWithSeparator(path) || winpath::fileName(path).empty()) {
        return failure_text::deleteFailed(ErrorCode::NotFound, shown, "пътят не назовава файл");
    }
    const auto host = drives_.resolve(path);
    if (!host.ok()) {
        return failure_text::deleteFailed(host.failure().code, shown, whyOf(host.failure()));
    }
    struct stat info {};
    if (::lstat(host.value().c_str(), &info) != 0) {
        const int error = errno;
        struct stat folderInfo {};
        if (error == ENOENT && ::stat(hostFolderOf(host.value()).c_str(), &folderInfo) != 0) {
            return failure_text::deleteFailed(ErrorCode::FolderNotFound, shown);
        }
        return failure_text::deleteFailed(codeOfErrno(error), shown,
                                          error == ENOENT ? std::string_view{}
                                                          : std::string_view(reasonOfErrno(error)));
    }
    if (S_ISDIR(info.st_mode)) {
        return failure_text::deleteFailed(ErrorCode::IsFolder, shown);
    }
    if (S_ISREG(info.st_mode) && !isWritableByOwner(info)) {
        return failure_text::deleteFailed(ErrorCode::ReadOnly, shown);
    }
    if (::unlink(host.value().c_str()) != 0) {
        const int error = errno;
        return failure_text::deleteFailed(codeOfErrno(error), shown, reasonOfErrno(error));
    }
    syncFolder(hostFolderOf(host.value()));
    return Status::success();
}

Result<std::string> PosixFileSystem::hostPath(std::string_view path) const {
    return drives_.resolve(path);
}

std::string PosixFileSystem::displayPath(std::string_view path) const {
    if (path.size() < 2 || path[1] != ':' || (path[0] != 'Z' && path[0] != 'z')) {
        return std::string(path);
    }
    if (const auto host = drives_.resolve(path); host.ok()) {
        return host.value();
    }
    // a path that does not resolve is still shown in the host's form
    std::string out;
    for (char ch : path.substr(2)) {
        out += winpath::isSeparator(ch) ? '/' : ch;
    }
    return out.empty() ? std::string("/") : out;
}

}  // namespace zorvik::posix
