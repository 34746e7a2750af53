#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <utility>

#include "platform/posix/host_errors.h"
#include "platform/posix/posix_folder_watch.h"
#include "platform/posix/posix_registry.h"

// Reading the settings file, parsed once per version of it.
namespace zorvik::posix {

namespace {

// The whole of an open file, in one buffer of its size where it does not grow meanwhile.
bool readWhole(int fd, off_t size, std::string& bytes) {
    bytes.resize(static_cast<std::size_t>(size) + 1);  // one more, to see the end in one call
    std::size_t have = 0;
    for (;;) {
        if (have == bytes.size()) {
            bytes.resize(bytes.size() * 2);
        }
        const ssize_t got = ::read(fd, bytes.data() + have, bytes.size() - have);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            bytes.resize(have);
            return true;
        }
        have += static_cast<std::size_t>(got);
    }
}

std::chrono::nanoseconds sinceEpoch(const timespec& time) {
    return std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec);
}

// Whether every later change to the file must leave a change time other than this version's:
// the file system stamps a change with the kernel's coarse clock, cut to its own grain, so a
// version stamped a grain before `now` can be told from anything written from now on.
bool isSettled(const struct stat& info, const timespec& now, std::chrono::nanoseconds grain) {
    if (info.st_mtim.tv_nsec == 0 && info.st_ctim.tv_nsec == 0) {
        grain = std::max<std::chrono::nanoseconds>(grain, std::chrono::seconds(2));
    }
    return sinceEpoch(info.st_ctim) + grain <= sinceEpoch(now) &&
           sinceEpoch(info.st_mtim) + grain <= sinceEpoch(now);
}

}  // namespace

bool PosixRegistry::Version::operator==(const Version& other) const {
    const auto same = [](const timespec& a, const timespec& b) {
        return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
    };
    return device == other.device && inode == other.inode && size == other.size &&
           same(modified, other.modified) && same(changed, other.changed);
}

PosixRegistry::Version PosixRegistry::versionOf(const struct stat& info) {
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

PosixRegistry::Kept PosixRegistry::kept() {
    const std::lock_guard guard(cacheMutex_);
    return kept_;
}

void PosixRegistry::keep(Kept kept) {
    std::shared_ptr<RegDocument> replaced;
    {
        const std::lock_guard guard(cacheMutex_);
        if (kept_.document != kept.document) {
            replaced = std::move(kept_.document);
        }
        kept_ = std::move(kept);
    }
    recycle(std::move(replaced));
}

std::shared_ptr<RegDocument> PosixRegistry::takeKept(const std::shared_ptr<RegDocument>& document) {
    const std::lock_guard guard(cacheMutex_);
    if (kept_.document == document) {
        kept_ = {};
    }
    return document;
}

void PosixRegistry::recycle(std::shared_ptr<RegDocument> document) {
    // only a parse that no one holds any more
    if (document && document.use_count() == 1) {
        auto buffers = std::move(*document).release();
        const std::lock_guard guard(cacheMutex_);
        spare_ = std::move(buffers);
    }
}

bool PosixRegistry::load(const std::string& path, Snapshot& snapshot, int& error) {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);  // before anything of the file is seen
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) {
        error = errno;
        return error == ENOENT;
    }
    snapshot.exists = true;
    if (::fstat(file.get(), &snapshot.info) != 0) {
        error = errno;
        return false;
    }
    const Version version = versionOf(snapshot.info);
    const Kept known = kept();
    if (known.document && known.provenByVersion && known.version == version) {
        snapshot.document = known.document;
        return true;
    }
    RegDocument::Buffers buffers;
    {
        const std::lock_guard guard(cacheMutex_);
        buffers = std::move(spare_);
    }
    if (!readWhole(file.get(), snapshot.info.st_size, buffers.text)) {
        error = errno;
        return false;
    }
    // Whether this version can later be known by its times alone: nothing can have changed
    // the file unseen, during the read or after it.
    struct stat after {};
    const auto grain = localTimestampGrain(file.get());
    const bool provenByVersion = grain && isSettled(snapshot.info, now, *grain) &&
                                 ::fstat(file.get(), &after) == 0 && versionOf(after) == version;
    if (known.document && known.document->holds(buffers.text)) {
        // the very bytes the kept parse stands for: it is this file's parse
        snapshot.document = known.document;
        buffers.text.clear();
        {
            const std::lock_guard guard(cacheMutex_);
            spare_ = std::move(buffers);
        }
        keep({version, provenByVersion, known.document});
        return true;
    }
    auto parsed = RegDocument::parse(std::move(buffers));
    ++parses_;
    if (!parsed.ok()) {
        snapshot.problem = parsed.failure().message;
        return true;
    }
    snapshot.document = std::make_shared<RegDocument>(std::move(parsed).value());
    keep({version, provenByVersion, snapshot.document});
    return true;
}

}  // namespace zorvik::posix
