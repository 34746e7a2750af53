#include "platform/posix/store_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik::posix {

namespace {

Failure failureOf(int error) {
    return {codeOfErrno(error), reasonOfErrno(error)};
}

// Looks at what stands at `path` and fills in whether it exists, what it is and, for anything
// but a regular file of a sane size, its damage; gives an open descriptor only for a file to
// parse.
Result<FileDescriptor> openStore(const std::string& path, StoreReading& reading) {
    // Without O_NONBLOCK, a FIFO in the file's place would keep the open waiting for a writer.
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.valid()) {
        const int error = errno;
        if (error == ENOENT) {
            return FileDescriptor();
        }
        // A socket cannot be opened at all, nor a loop of links: neither is a file to read.
        if (error == ENXIO || error == ELOOP) {
            reading.exists = true;
            reading.damage = texts::kStoreNotAFile;
            return FileDescriptor();
        }
        return failureOf(error);
    }
    reading.exists = true;
    if (::fstat(file.get(), &reading.info) != 0) {
        return failureOf(errno);
    }
    if (!S_ISREG(reading.info.st_mode)) {
        reading.damage = texts::kStoreNotAFile;
        return FileDescriptor();
    }
    if (reading.info.st_size > kLargestStore) {
        reading.damage = failure_text::storeTooLarge(kLargestStore);
        return FileDescriptor();
    }
    return file;
}

Status parseStore(int file, StoreReading& reading) {
    // Never more than the size looked at: a file that grows meanwhile cannot fill the memory.
    std::string bytes(static_cast<std::size_t>(reading.info.st_size), '\0');
    std::size_t have = 0;
    while (have < bytes.size()) {
        const ssize_t got = ::read(file, bytes.data() + have, bytes.size() - have);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return failureOf(errno);
        }
        if (got == 0) {
            break;
        }
        have += static_cast<std::size_t>(got);
    }
    bytes.resize(have);
    auto parsed = RegDocument::parse(std::move(bytes));
    if (!parsed.ok()) {
        reading.damage = parsed.failure().message;
        return Status::success();
    }
    reading.document = std::make_shared<const RegDocument>(std::move(parsed).value());
    return Status::success();
}

}  // namespace

Result<StoreReading> readStore(const std::string& path) {
    StoreReading reading;
    auto file = openStore(path, reading);
    if (!file.ok()) {
        return file.failure();
    }
    if (file.value().valid()) {
        if (Status parsed = parseStore(file.value().get(), reading); !parsed.ok()) {
            return parsed.failure();
        }
    }
    return reading;
}

}  // namespace zorvik::posix
