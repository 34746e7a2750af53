#include "platform/posix/posix_registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <ctime>
#include <utility>
#include <vector>

#include "platform/posix/host_errors.h"
#include "platform/posix/reg_document.h"
#include "platform/posix/store_lock.h"
#include "platform/windows_text.h"
#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik::posix {

namespace {

constexpr std::string_view kHive = "HKEY_CURRENT_USER";

std::string fullKey(std::string_view key) {
    std::string out(kHive);
    out += '\\';
    out += key;
    return out;
}

std::string timestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::localtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts);
    return text;
}

// Moves what stands at `path` out of the way, under a new name beside it that says it was not
// a settings file, never over anything. Only a writer holding the exclusive lock calls this, so
// no other writer can take the name between the look and the rename. A rename, not a copy: it
// costs nothing whatever stands there (a huge file, a FIFO, a folder), and nothing is lost.
bool setAside(const std::string& path) {
    const std::string base = path + ".corrupt-" + timestamp();
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string name = attempt == 0 ? base : base + "-" + std::to_string(attempt);
        struct stat taken {};
        if (::lstat(name.c_str(), &taken) == 0) {
            continue;
        }
        return ::rename(path.c_str(), name.c_str()) == 0;
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

// The name of a writer's temporary beside `storeName`, exactly as mkostemp makes it from
// "<store>.tmp-XXXXXX": anything else there is someone else's.
bool isWritersTemporary(std::string_view name, std::string_view storeName) {
    constexpr std::string_view kInfix = ".tmp-";
    constexpr std::size_t kMark = 6;
    if (name.size() != storeName.size() + kInfix.size() + kMark || !name.starts_with(storeName) ||
        name.substr(storeName.size(), kInfix.size()) != kInfix) {
        return false;
    }
    return std::all_of(name.end() - kMark, name.end(), [](char ch) {
        return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
    });
}

// Temporary files of writers that were killed before their rename, in the store's own folder
// only: a link's target lies in the user's folder, where no name is this program's to remove.
// Only a writer holding the exclusive lock calls this, so no other writer can be midway and
// every such file is stale.
void removeStaleTemporaries(const std::string& folder, const std::string& storePath) {
    const std::string storeName = storePath.substr(storePath.find_last_of('/') + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(dir)) {
        if (isWritersTemporary(entry->d_name, storeName)) {
            ::unlinkat(::dirfd(dir), entry->d_name, 0);
        }
    }
    ::closedir(dir);
}

}  // namespace

PosixRegistry::PosixRegistry(std::string storePath, std::chrono::milliseconds writePatience)
    : storePath_(std::move(storePath)), writePatience_(writePatience) {
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
    const auto found = [&] {
        // Readers share the lock where they can have it; without it (held by another process,
        // no folder yet, a read-only one) the rename that every writer ends with still keeps a
        // reader from seeing a torn file.
        const StoreLock lock(lockPath(), StoreLock::Kind::Shared, std::chrono::milliseconds(0));
        return readStore(storePath_);
    }();
    if (!found.ok()) {
        return fail(found.failure().code, found.failure().message);
    }
    const StoreReading& store = found.value();
    if (!store.exists) {
        return fail(ErrorCode::NotFound, texts::kNoSuchValue);
    }
    if (!store.document) {
        return fail(ErrorCode::Corrupt, failure_text::storeDamaged(store.damage));
    }
    auto value = store.document->find(fullKey(key), valueName);
    if (!value) {
        return fail(ErrorCode::NotFound, texts::kNoSuchValue);
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
        return fail(ErrorCode::InvalidName, texts::kNameHasControls);
    }
    for (const auto& change : changes) {
        if (!canHoldName(change.name)) {
            return fail(ErrorCode::InvalidName, texts::kNameHasControls);
        }
        if (change.value && !canHoldText(*change.value)) {
            return fail(ErrorCode::Unsupported, texts::kTextNotStorable);
        }
    }
    if (!makeFolders(folder_)) {
        return failWithErrno(errno);
    }
    const StoreLock lock(lockPath(), StoreLock::Kind::Exclusive, writePatience_);
    if (!lock.held()) {
        return lock.error() == EWOULDBLOCK
                   ? fail(ErrorCode::Busy, failure_text::reason(ErrorCode::Busy))
                   : failWithErrno(lock.error());
    }
    removeStaleTemporaries(folder_, storePath_);
    auto found = readStore(storePath_);
    if (!found.ok()) {
        return fail(found.failure().code, found.failure().message);
    }
    const StoreReading& store = found.value();
    const bool isFile = store.exists && S_ISREG(store.info.st_mode);
    // A symlinked settings file is the user's arrangement: the file it points to is the one
    // replaced. What is no settings file (a link to /dev/zero, to the user's notes) is never
    // written through: the store's own entry is set aside, be it the link or the thing itself.
    const bool writesThrough = isFile && store.document;
    struct stat own {};
    const bool isLink = ::lstat(storePath_.c_str(), &own) == 0 && S_ISLNK(own.st_mode);
    const std::string target = writesThrough ? followLinks(storePath_) : storePath_;
    const std::string targetFolder = folderOf(target);
    // the owner made the file read-only: that is a refusal, not something to replace
    const mode_t mode = isFile && (writesThrough || !isLink) ? (store.info.st_mode & 0777) : 0600;
    if ((mode & S_IWUSR) == 0) {
        return fail(ErrorCode::ReadOnly, texts::kStoreReadOnly);
    }
    if (store.exists && !store.document && !setAside(target)) {
        return fail(ErrorCode::Corrupt, texts::kStoreNotSetAside);
    }
    auto document = store.document ? std::make_unique<RegDocument>(*store.document)
                                   : std::make_unique<RegDocument>();
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
    if (!written) {
        const int writeError = errno;
        ::unlink(temporary.c_str());
        return failWithErrno(writeError);
    }
    syncFolder(targetFolder);
    return Status::success();
}

}  // namespace zorvik::posix
