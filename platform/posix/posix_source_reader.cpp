// The source of a copy on a POSIX host: read through links, its holes found where the file
// system tells them, so that only a sparse source gives a sparse copy.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/posix_file_steps.h"
#include "texts/failure_text.h"

namespace zorvik::posix {

namespace {

using failure_text::because;
using failure_text::Detail;

std::uint64_t nanoseconds(const timespec& time) {
    return static_cast<std::uint64_t>(time.tv_sec) * 1000000000u +
           static_cast<std::uint64_t>(time.tv_nsec);
}

class PosixSourceReader final : public SourceReader {
public:
    PosixSourceReader(FileDescriptor fd, const struct stat& info) : fd_(std::move(fd)) {
        facts_.size = static_cast<std::uint64_t>(info.st_size);
        facts_.modified = nanoseconds(info.st_mtim);
        facts_.accessed = nanoseconds(info.st_atim);
        facts_.attributes = static_cast<std::uint32_t>(info.st_mode);
        facts_.readOnly = (info.st_mode & S_IWUSR) == 0;
        facts_.identity = {static_cast<std::uint64_t>(info.st_dev),
                           static_cast<std::uint64_t>(info.st_ino)};
    }

    const ContentFacts& facts() const override { return facts_; }

    Result<Extent> extentAt(std::uint64_t offset) override {
        const Extent rest{offset, facts_.size - offset, false};
        if (!seeksHoles_) {
            return rest;
        }
        const off_t data = ::lseek(fd_.get(), static_cast<off_t>(offset), SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO) {  // nothing but a hole up to the end
                return Extent{offset, facts_.size - offset, true};
            }
            seeksHoles_ = false;  // a file system that cannot tell: every byte is data
            return rest;
        }
        const auto dataStart = static_cast<std::uint64_t>(data);
        if (dataStart > offset) {
            return Extent{offset, dataStart - offset, true};
        }
        const off_t hole = ::lseek(fd_.get(), static_cast<off_t>(offset), SEEK_HOLE);
        if (hole < 0) {
            return rest;
        }
        return Extent{offset, static_cast<std::uint64_t>(hole) - offset, false};
    }

    Result<std::size_t> read(std::uint64_t offset, std::span<char> into) override {
        for (;;) {
            const ssize_t got =
                ::pread(fd_.get(), into.data(), into.size(), static_cast<off_t>(offset));
            if (got >= 0) {
                return static_cast<std::size_t>(got);
            }
            if (errno != EINTR) {
                return Failure{codeOfErrno(errno), reasonOfErrno(errno)};
            }
        }
    }

private:
    FileDescriptor fd_;
    ContentFacts facts_;
    bool seeksHoles_ = true;
};

}  // namespace

Result<std::unique_ptr<SourceReader>> openSourceReader(const std::string& path) {
    // O_NONBLOCK keeps a FIFO that poses as a melody from hanging the window.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.valid()) {
        const int error = errno;
        if (error == ENOENT) {
            return because(ErrorCode::NotFound, Detail::SourceMissing);
        }
        return Failure{codeOfErrno(error), reasonOfErrno(error)};
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) {
        return Failure{codeOfErrno(errno), reasonOfErrno(errno)};
    }
    if (S_ISDIR(info.st_mode)) {
        return because(ErrorCode::IsFolder, Detail::SourceIsFolder);
    }
    if (!S_ISREG(info.st_mode)) {
        return because(ErrorCode::Unsupported, Detail::SourceNotRegular);
    }
    ::fcntl(fd.get(), F_SETFL, 0);
    return std::unique_ptr<SourceReader>(std::make_unique<PosixSourceReader>(std::move(fd), info));
}

}  // namespace zorvik::posix
