#include "platform/posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "platform/posix/host_errors.h"
#include "platform/windows_path.h"
#include "platform/windows_text.h"
#include "texts/failure_text.h"

namespace zorvik::posix {

namespace {

// The reason a resolve failure carries (it names the file in a NotAFolder), else the code's.
std::string_view whyOf(const Failure& failure) {
    return failure.message;
}

}  // namespace

PosixFileSystem::PosixFileSystem(DriveMap drives) : drives_(std::move(drives)) {
    // A write beyond the file size limit must fail like a full disk, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
}

namespace {

// Whether a folder entry is a file the list may show. A symbolic link is followed.
bool isListedFile(int folderFd, const dirent64& entry) {
    struct stat info {};
    switch (entry.d_type) {
        case DT_REG:
            return true;
        case DT_LNK:
        case DT_UNKNOWN:  // a file system that does not say: ask
            return ::fstatat(folderFd, entry.d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
        default:
            return false;
    }
}

// Where a melody's sort key (its name folded to capitals, worked out once) lies among the keys,
// and which of the names found it belongs to. The keys share one buffer, so a folder of many
// melodies costs one allocation a name, not two, and sorts through memory close together.
struct SortKey {
    std::uint32_t offset;
    std::uint32_t length;
    std::uint32_t name;
};

}  // namespace

Result<std::vector<std::string>> PosixFileSystem::listMelodies(std::string_view folder) const {
    const std::string shown = displayPath(folder);
    const auto host = drives_.resolve(folder);
    if (!host.ok()) {
        return failure_text::folderFailed(host.failure().code, shown, whyOf(host.failure()));
    }
    FileDescriptor dir(::open(host.value().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.valid()) {
        const int error = errno;
        if (error == ENOENT) {
            return failure_text::folderFailed(ErrorCode::FolderNotFound, shown);
        }
        if (error == ENOTDIR) {
            return failure_text::folderFailed(
                ErrorCode::NotAFolder, shown,
                failure_text::reason(failure_text::Detail::ListedFolderIsFile));
        }
        return failure_text::folderFailed(codeOfErrno(error), shown, reasonOfErrno(error));
    }
    // the folder's entries read straight from the kernel, a large block at a time
    constexpr std::size_t kBlock = 128 * 1024;
    const auto block = std::make_unique<char[]>(kBlock);
    std::vector<std::string> found;
    std::vector<SortKey> order;
    std::string keys;
    for (;;) {
        const ssize_t got = ::getdents64(dir.get(), block.get(), kBlock);
        if (got <= 0) {
            break;  // a folder that vanishes midway lists what was read of it
        }
        for (ssize_t at = 0; at < got;) {
            const auto* entry = reinterpret_cast<const dirent64*>(block.get() + at);
            at += entry->d_reclen;
            const std::string_view name = entry->d_name;
            if (text::matchesWavPattern(name) && text::isValidWindowsName(name) &&
                isListedFile(dir.get(), *entry)) {
                const std::string key = text::foldCase(name);
                order.push_back({static_cast<std::uint32_t>(keys.size()),
                                 static_cast<std::uint32_t>(key.size()),
                                 static_cast<std::uint32_t>(found.size())});
                keys += key;
                found.emplace_back(name);
            }
        }
    }
    const std::string_view allKeys = keys;
    std::sort(order.begin(), order.end(), [&](const SortKey& a, const SortKey& b) {
        const int byKey =
            allKeys.substr(a.offset, a.length).compare(allKeys.substr(b.offset, b.length));
        return byKey != 0 ? byKey < 0 : found[a.name] < found[b.name];
    });
    std::vector<std::string> names;
    names.reserve(order.size());
    for (const auto& key : order) {
        names.push_back(std::move(found[key.name]));
    }
    return names;
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
