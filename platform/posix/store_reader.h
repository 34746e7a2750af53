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

// Reads the settings file for the reads of the store; a parse cache may stand in front of it.
class StoreReader {
public:
    virtual ~StoreReader() = default;
    // Fails only where the file could not be looked at or read (no rights, a disk error), with
    // the reason as its message.
    virtual Result<StoreReading> read(const std::string& path) = 0;
};

// The settings file read and parsed as it is. Whatever stands at its place, nothing makes the
// program wait (a FIFO, a device) or fills its memory (a link to /dev/zero, a huge file):
// anything but a regular file of at most kLargestStore bytes is damaged, and never read.
class PlainStoreReader final : public StoreReader {
public:
    // The program's key takes a few hundred bytes; a user's whole exported registry rarely
    // takes more than a few MB. 4 MiB leaves room for what other programs keep there, and still
    // parses in a few milliseconds.
    static constexpr off_t kLargestStore = off_t{4} << 20;

    Result<StoreReading> read(const std::string& path) override;

    // The two halves of a reading, for a cache that may spare the second one. open() looks at
    // what stands at `path` and fills in whether it exists, what it is and, for anything but a
    // regular file of a sane size, its damage; it gives an open descriptor only for a file to
    // parse. parse() reads that file and parses it.
    static Result<FileDescriptor> open(const std::string& path, StoreReading& reading);
    static Status parse(int file, StoreReading& reading);
};

}  // namespace zorvik::posix
