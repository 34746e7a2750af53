#include "platform/posix/posix_registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

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

std::string fullValueName(std::string_view key, std::string_view valueName) {
    return fullKey(key) + '\\' + std::string(valueName);
}

// Creates the missing folders of `folder`, each with mode 0700.
bool makeFolders(const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0) {
        return S_ISDIR(info.st_mode);
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

// Reads the store; `exists` tells a missing file from an empty one.
bool readStore(const std::string& path, std::string& bytes, bool& exists, int& error) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) {
        error = errno;
        exists = false;
        return error == ENOENT;
    }
    exists = true;
    if (!readAll(file.get(), bytes)) {
        error = errno;
        return false;
    }
    return true;
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
bool keepAside(const std::string& storePath, const std::string& bytes) {
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
        return writeAll(copy.get(), bytes.data(), bytes.size()) && ::fsync(copy.get()) == 0 &&
               copy.close() == 0;
    }
    return false;
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
    // Readers share the lock; where it cannot be had (no folder yet, a read-only one) the
    // rename that every writer ends with still keeps a reader from seeing a torn file.
    FileDescriptor lock(::open(lockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (lock.valid()) {
        lockRetrying(lock.get(), LOCK_SH);
    }
    std::string bytes;
    bool exists = false;
    int error = 0;
    if (!readStore(storePath_, bytes, exists, error)) {
        return failure_text::settingReadFailed(codeOfErrno(error), name, reasonOfErrno(error));
    }
    lock.close();
    if (!exists) {
        return failure_text::settingReadFailed(ErrorCode::NotFound, name, "няма такава стойност");
    }
    const auto document = RegDocument::parse(bytes);
    if (!document.ok()) {
        return failure_text::settingReadFailed(ErrorCode::Corrupt, name,
                                               "файлът " + failure_text::quoted(storePath_) +
                                                   " е повреден (" + document.failure().message +
                                                   ")");
    }
    auto value = document.value().find(fullKey(key), valueName);
    if (!value) {
        return failure_text::settingReadFailed(ErrorCode::NotFound, name, "няма такава стойност");
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

Status PosixRegistry::write(std::string_view key, std::string_view valueName,
                            const RegistryValue& value) {
    const std::string name = fullValueName(key, valueName);
    if (!canHoldName(key) || !canHoldName(valueName)) {
        return failure_text::settingWriteFailed(ErrorCode::InvalidName, name,
                                                "името съдържа недопустими знаци");
    }
    if (!canHoldText(value)) {
        return failure_text::settingWriteFailed(ErrorCode::Unsupported, name,
                                                "текстът не е в UTF-8 или съдържа нулев знак");
    }
    const auto failWithErrno = [&](int error) {
        return Status(
            failure_text::settingWriteFailed(codeOfErrno(error), name, reasonOfErrno(error)));
    };
    if (!makeFolders(folder_)) {
        return failWithErrno(errno);
    }
    FileDescriptor lock(::open(lockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!lock.valid() || lockRetrying(lock.get(), LOCK_EX) != 0) {
        return failWithErrno(errno);
    }
    removeStaleTemporaries(folder_, storePath_);
    std::string bytes;
    bool exists = false;
    int error = 0;
    if (!readStore(storePath_, bytes, exists, error)) {
        return failWithErrno(error);
    }
    mode_t mode = 0600;
    struct stat info {};
    if (exists && ::stat(storePath_.c_str(), &info) == 0) {
        mode = info.st_mode & 0777;
    }
    RegDocument document;
    if (exists) {
        auto parsed = RegDocument::parse(bytes);
        if (parsed.ok()) {
            document = std::move(parsed).value();
        } else if (!keepAside(storePath_, bytes)) {
            return failure_text::settingWriteFailed(
                ErrorCode::Corrupt, name,
                "файлът " + failure_text::quoted(storePath_) +
                    " е повреден и не може да бъде запазен настрана");
        }
    }
    document.set(fullKey(key), valueName, value);
    const std::string content = document.serialize();

    std::string temporary = storePath_ + ".tmp-XXXXXX";
    FileDescriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!out.valid()) {
        return failWithErrno(errno);
    }
    const bool written = ::fchmod(out.get(), mode) == 0 &&
                         writeAll(out.get(), content.data(), content.size()) &&
                         ::fsync(out.get()) == 0 && out.close() == 0 &&
                         ::rename(temporary.c_str(), storePath_.c_str()) == 0;
    if (!written) {
        const int writeError = errno;
        ::unlink(temporary.c_str());
        return failWithErrno(writeError);
    }
    syncFolder(folder_);
    return Status::success();
}

}  // namespace zorvik::posix
