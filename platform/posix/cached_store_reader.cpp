#include "platform/posix/cached_store_reader.h"

#include <algorithm>

#include "platform/posix/timestamp_grain.h"

namespace zorvik::posix {

namespace {

std::chrono::nanoseconds sinceEpoch(const timespec& time) {
    return std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec);
}

bool same(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

}  // namespace

CachedStoreReader::CachedStoreReader()
    : CachedStoreReader(
          [] {
              timespec now{};
              ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
              return now;
          },
          localTimestampGrain) {}

CachedStoreReader::CachedStoreReader(Clock clock, Grain grain)
    : clock_(std::move(clock)), grain_(std::move(grain)) {}

bool CachedStoreReader::Version::operator==(const Version& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           same(modified, other.modified) && same(changed, other.changed);
}

CachedStoreReader::Version CachedStoreReader::versionOf(const struct stat& info) {
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

bool CachedStoreReader::isSettled(const struct stat& info, const timespec& seenAfter,
                                  int file) const {
    auto grain = grain_(file);
    if (!grain) {
        return false;
    }
    // Times in whole seconds come from a file system that keeps no finer ones.
    if (info.st_mtim.tv_nsec == 0 && info.st_ctim.tv_nsec == 0) {
        grain = std::max<std::chrono::nanoseconds>(*grain, std::chrono::seconds(2));
    }
    // A change is stamped with the clock cut to the grain, so one made after `seenAfter` is
    // stamped later than a version that was a grain old by then.
    return sinceEpoch(info.st_ctim) + *grain <= sinceEpoch(seenAfter) &&
           sinceEpoch(info.st_mtim) + *grain <= sinceEpoch(seenAfter);
}

Result<StoreReading> CachedStoreReader::read(const std::string& path) {
    const timespec now = clock_();  // before anything of the file is seen
    StoreReading reading;
    auto file = PlainStoreReader::open(path, reading);
    if (!file.ok()) {
        return file.failure();
    }
    if (!file.value().valid()) {
        return reading;  // missing, or damaged without a byte read
    }
    const Version version = versionOf(reading.info);
    {
        const std::lock_guard guard(mutex_);
        if (kept_ && keptVersion_ == version) {
            reading.document = kept_;
            return reading;
        }
    }
    if (Status parsed = PlainStoreReader::parse(file.value().get(), reading); !parsed.ok()) {
        return parsed.failure();
    }
    ++parses_;
    // Kept only if its times alone will tell it: nothing changed it while it was read, and
    // nothing can change it later without changing them.
    struct stat after {};
    if (reading.document && isSettled(reading.info, now, file.value().get()) &&
        ::fstat(file.value().get(), &after) == 0 && versionOf(after) == version) {
        const std::lock_guard guard(mutex_);
        keptVersion_ = version;
        kept_ = reading.document;
    }
    return reading;
}

}  // namespace zorvik::posix
