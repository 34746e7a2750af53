#include "platform/posix/posix_registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <utility>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <vector>

#include "platform/failure_text.h"
#include "platform/posix/host_errors.h"
#include "platform/posix/reg_document.h"
#include "platform/windows_text.h"

namespace zorvik::posix {

namespace {

constexpr std::string_view kHive = "HKEY_CURRENT_USER";

std::string fullKey(std::string_view key) {
    std::string out(kHive);
    out += '\\';
    out += key;
    return out;
}

// Creates the missing folders of `folder`, each with mode 0700.
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

int lockRetrying(int fd, int operation) {
    int result = 0;
    do {
        result = ::flock(fd, operation);
    } while (result != 0 && errno == EINTR);
    return result;
}

std::string timestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::localtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts);
    return text;
}

// Keeps a store that does not parse under a new name beside it, never overwriting anything.
bool keepAside(const std::string& storePath) {
    const std::string base = storePath + ".corrupt-" + timestamp();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string name = attempt == 0 ? base : base + "-" + std::to_string(attempt);
        if (::link(storePath.c_str(), name.c_str()) == 0) {
            return true;
        }
        if (errno == EEXIST) {
            continue;
        }
        // a file system without hard links: keep a copy of the bytes instead
        FileDescriptor copy(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (!copy.valid()) {
            if (errno == EEXIST) {
                continue;
            }
            return false;
        }
        FileDescriptor original(::open(storePath.c_str(), O_RDONLY | O_CLOEXEC));
        std::string bytes;
        return original.valid() && readAll(original.get(), bytes) &&
               writeAll(copy.get(), bytes.data(), bytes.size()) && ::fsync(copy.get()) == 0 &&
               copy.close() == 0;
    }
    return false;
}

std::string folderOf(const std::string& path) {
    return hostFolderOf(path);
}

// The file a chain of symbolic links ends at, even when that file does not exist yet; the path
// itself when it is no link.
std::string followLinks(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        std::vector<char> buffer(PATH_MAX + 1);
        const ssize_t length = ::readlink(current.c_str(), buffer.data(), PATH_MAX);
        if (length <= 0) {
            return current;
        }
        std::string link(buffer.data(), static_cast<std::size_t>(length));
        current = link.front() == '/' ? link : folderOf(current) + '/' + link;
    }
    return current;
}

// Temporary files of writers that were killed before their rename. Only a writer holding the
// exclusive lock calls this, so no other writer can be midway and every such file is stale.
void removeStaleTemporaries(const std::string& folder, const std::string& storePath) {
    const std::string prefix = storePath.substr(storePath.find_last_of('/') + 1) + ".tmp-";
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (std::string_view(entry->d_name).rfind(prefix, 0) == 0) {
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
    }
    ::closedir(dir);
}

}  // namespace

PosixRegistry::PosixRegistry(std::string storePath) : storePath_(std::move(storePath)) {
    const auto slash = storePath_.find_last_of('/');
    folder_ = slash == std::string::npos
                  ? std::string(".")
                  : (slash == 0 ? std::string("/") : storePath_.substr(0, slash));
}

Result<RegistryValue> PosixRegistry::read(std::string_view key, std::string_view valueName) {
    const std::string name = fullValueName(key, valueName);
    const auto fail = [&](ErrorCode code, std::string_view why) {
        return failure_text::settingReadFailed(code, name, why, storePath_);
    };
    // Readers share the lock; where it cannot be had (no folder yet, a read-only one) the
    // rename that every writer ends with still keeps a reader from seeing a torn file.
    FileDescriptor lock(::open(lockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lock.valid()) {
        lockRetrying(lock.get(), LOCK_SH);
    }
    Snapshot store;
    int error = 0;
    if (!load(storePath_, store, error)) {
        return fail(codeOfErrno(error), reasonOfErrno(error));
    }
    lock.close();
    if (!store.exists) {
        return fail(ErrorCode::NotFound, "няма такава стойност");
    }
    if (!store.document) {
        return fail(ErrorCode::Corrupt, "файлът е повреден (" + store.problem + ")");
    }
    auto value = store.document->find(fullKey(key), valueName);
    if (!value) {
        return fail(ErrorCode::NotFound, "няма такава стойност");
    }
    return std::move(*value);
}

bool PosixRegistry::canHoldName(std::string_view name) {
    // the file's format has no escape for a line break in a key or value name
    return text::isValidUtf8(name) && std::none_of(name.begin(), name.end(), [](char ch) {
               return static_cast<unsigned char>(ch) < 0x20;
           });
}

bool PosixRegistry::canHoldText(const RegistryValue& value) {
    // a string value ends at its first zero for every reader, as on Windows
    return value.type == RegistryValue::Type::Dword ||
           (text::isValidUtf8(value.text) && value.text.find('\0') == std::string::npos);
}

Status PosixRegistry::applyChecked(std::string_view key, std::span<const ValueChange> changes) {
    // messages name the first value; the changes succeed or fail together
    const std::string name = fullValueName(key, changes.front().name);
    const auto fail = [&](ErrorCode code, std::string_view why) {
        return Status(failure_text::settingWriteFailed(code, name, why, storePath_));
    };
    const auto failWithErrno = [&](int error) {
        return fail(codeOfErrno(error), reasonOfErrno(error));
    };
    if (!canHoldName(key)) {
        return fail(ErrorCode::InvalidName, "името съдържа недопустими знаци");
    }
    for (const auto& change : changes) {
        if (!canHoldName(change.name)) {
            return fail(ErrorCode::InvalidName, "името съдържа недопустими знаци");
        }
        if (change.value && !canHoldText(*change.value)) {
            return fail(ErrorCode::Unsupported, "текстът не е в UTF-8 или съдържа нулев знак");
        }
    }
    if (!makeFolders(folder_)) {
        return failWithErrno(errno);
    }
    FileDescriptor lock(::open(lockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lock.valid() || lockRetrying(lock.get(), LOCK_EX) != 0) {
        return failWithErrno(errno);
    }
    // A symlinked store is the user's arrangement: the file it points to is the one replaced.
    const std::string target = followLinks(storePath_);
    const std::string targetFolder = folderOf(target);
    removeStaleTemporaries(targetFolder, target);
    Snapshot store;
    int error = 0;
    if (!load(target, store, error)) {
        return failWithErrno(error);
    }
    // the owner made the file read-only: that is a refusal, not something to replace
    const mode_t mode = store.exists ? (store.info.st_mode & 0777) : 0600;
    if ((mode & S_IWUSR) == 0) {
        return fail(ErrorCode::ReadOnly, "файлът с настройките е само за четене");
    }
    std::shared_ptr<RegDocument> document;
    if (store.document) {
        // this version is about to be replaced: its parse is taken, not copied, where no
        // reader holds it
        document = takeKept(store.document);
        store.document.reset();
        if (document.use_count() > 1) {
            document = std::make_shared<RegDocument>(*document);
        }
    } else if (store.exists && !keepAside(target)) {
        return fail(ErrorCode::Corrupt, "файлът е повреден и не може да бъде запазен настрана");
    } else {
        document = std::make_shared<RegDocument>();
    }
    for (const auto& change : changes) {
        if (change.value) {
            document->set(fullKey(key), change.name, *change.value);
        } else {
            document->remove(fullKey(key), change.name);
        }
    }
    std::string temporary = target + ".tmp-XXXXXX";
    FileDescriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!out.valid()) {
        return failWithErrno(errno);
    }
    bool written = ::fchmod(out.get(), mode) == 0;
    for (const auto piece : document->pieces()) {
        written = written && writeAll(out.get(), piece.data(), piece.size());
    }
    written = written && ::fsync(out.get()) == 0 && out.close() == 0 &&
              ::rename(temporary.c_str(), target.c_str()) == 0;
    // What was written is kept as the parse of the new version, to be used only once the
    // file's bytes are found to be the same: another writer may come between.
    struct stat info {};
    if (written && ::stat(target.c_str(), &info) == 0) {
        keep({versionOf(info), false, std::move(document)});
    } else {
        recycle(std::move(document));
    }
    if (!written) {
        const int writeError = errno;
        ::unlink(temporary.c_str());
        return failWithErrno(writeError);
    }
    syncFolder(targetFolder);
    return Status::success();
}

}  // namespace zorvik::posix
