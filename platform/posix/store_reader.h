#pragma once

#include <sys/stat.h>

#include <memory>
#include <string>

#include "platform/posix/host_errors.h"
#include "platform/posix/reg_document.h"
#include "platform/status.h"

namespace zorvik::posix {

// The settings file as one reading found it: missing, parsed, or damaged.
struct StoreReading {
    bool exists = false;
    struct stat info {};                          // what the file is, when it exists
    std::shared_ptr<const RegDocument> document;  // when it parsed
    std::string damage;  // why it is no settings file, when it exists and did not parse
};

// The program's key takes a few hundred bytes; a user's whole exported registry rarely takes more
// than a few MB. 4 MiB leaves room for what other programs keep there, and still parses in a few
// milliseconds.
inline constexpr off_t kLargestStore = off_t{4} << 20;

// The settings file read and parsed as it is now. Whatever stands at its place, nothing makes
// the program wait (a FIFO, a device) or fills its memory (a link to /dev/zero, a huge file):
// anything but a regular file of at most kLargestStore bytes is damaged, and never read. Fails
// only where the file could not be looked at or read (no rights, a disk error), with the reason
// as its message.
Result<StoreReading> readStore(const std::string& path);

}  // namespace zorvik::posix
