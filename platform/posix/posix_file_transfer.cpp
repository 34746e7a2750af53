// Copies and moves between Windows-form paths: the destination changes in one rename, and a move
// either completes or leaves both folders as they were.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <vector>

#include "platform/failure_text.h"
#include "platform/posix/host_errors.h"
#include "platform/posix/posix_file_system.h"
#include "platform/prepared_copy.h"
#include "platform/windows_path.h"

namespace zorvik::posix {

namespace {

bool isWritableByOwner(const struct stat& info) {
    return (info.st_mode & S_IWUSR) != 0;
}

// A temporary file of this program's in a melody folder: never "*.wav", so no list shows it.
std::string temporaryPattern(const std::string& folder) {
    return folder + "/.zorvik-copy-XXXXXX.tmp";
}

// Removes a temporary file unless it was handed on.
class TemporaryFile {
public:
    TemporaryFile() = default;
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    TemporaryFile(TemporaryFile&& other) noexcept : path_(std::exchange(other.path_, {})) {}
    TemporaryFile& operator=(TemporaryFile&&) = delete;
    ~TemporaryFile() {
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
    }
    const std::string& path() const { return path_; }
    void keep() { path_.clear(); }

private:
    std::string path_;
};

}  // namespace

// One copy or move: both paths resolved and checked, the messages that name them, and the
// steps on the host.
class HostTransfer {
public:
    HostTransfer(const PosixFileSystem& files, std::string_view source,
                 std::string_view destination, bool isMove)
        : files_(files),
          source_(source),
          destination_(destination),
          shownSource_(files.displayPath(source)),
          shownDestination_(files.displayPath(destination)),
          isMove_(isMove) {}

    Failure fail(ErrorCode code, std::string_view why = {}) const {
        return isMove_ ? failure_text::moveFailed(code, shownSource_, shownDestination_, why)
                       : failure_text::copyFailed(code, shownSource_, shownDestination_, why);
    }
    Failure failWithErrno(int error) const {
        return fail(codeOfErrno(error), reasonOfErrno(error));
    }

    // Every check that can be made before anything is written.
    Status check() {
        if (winpath::endsWithSeparator(source_)) {
            return fail(ErrorCode::IsFolder, "изходният файл е папка");
        }
        const auto hostSource = files_.drives().resolve(source_);
        if (!hostSource.ok()) {
            return fail(hostSource.failure().code, hostSource.failure().message);
        }
        const auto hostDestination = files_.drives().resolve(destination_);
        if (!hostDestination.ok()) {
            return fail(hostDestination.failure().code, hostDestination.failure().message);
        }
        if (winpath::endsWithSeparator(destination_)) {
            return fail(ErrorCode::IsFolder, "целта е папка");
        }
        hostSource_ = hostSource.value();
        hostDestination_ = hostDestination.value();
        destinationFolder_ = hostFolderOf(hostDestination_);
        // O_NONBLOCK keeps a FIFO that poses as a melody from hanging the window.
        in_ = FileDescriptor(::open(hostSource_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
        if (!in_.valid()) {
            const int error = errno;
            if (error == ENOENT) {
                return fail(ErrorCode::NotFound, "изходният файл не съществува");
            }
            return failWithErrno(error);
        }
        if (::fstat(in_.get(), &sourceInfo_) != 0) {
            return failWithErrno(errno);
        }
        if (S_ISDIR(sourceInfo_.st_mode)) {
            return fail(ErrorCode::IsFolder, "изходният файл е папка");
        }
        if (!S_ISREG(sourceInfo_.st_mode)) {
            return fail(ErrorCode::Unsupported, "изходният файл не е обикновен файл");
        }
        ::fcntl(in_.get(), F_SETFL, 0);
        struct stat folderInfo {};
        if (::stat(destinationFolder_.c_str(), &folderInfo) != 0) {
            return fail(errno == ENOTDIR ? ErrorCode::NotAFolder : ErrorCode::FolderNotFound,
                        "папката на целта не съществува");
        }
        if (!S_ISDIR(folderInfo.st_mode)) {
            return fail(ErrorCode::NotAFolder, "папката на целта е файл");
        }
        destinationDevice_ = folderInfo.st_dev;
        struct stat destinationInfo {};
        if (::stat(hostDestination_.c_str(), &destinationInfo) == 0) {
            destinationExists_ = true;
            if (S_ISDIR(destinationInfo.st_mode)) {
                return fail(ErrorCode::IsFolder, "целта е папка");
            }
            if (destinationInfo.st_dev == sourceInfo_.st_dev &&
                destinationInfo.st_ino == sourceInfo_.st_ino) {
                return fail(ErrorCode::SameFile);
            }
            // as on Windows, a read-only file is neither overwritten nor replaced
            if (!isWritableByOwner(destinationInfo)) {
                return fail(ErrorCode::ReadOnly, "целта е файл само за четене");
            }
        }
        return Status::success();
    }

    // The whole source, flushed to disk, in a temporary file beside the destination.
    Result<TemporaryFile> writeTemporary() {
        std::string pattern = temporaryPattern(destinationFolder_);
        FileDescriptor out(::mkostemps(pattern.data(), 4, O_CLOEXEC));
        if (!out.valid()) {
            return failWithErrno(errno);
        }
        TemporaryFile temporary(pattern);
        if (const int fault = files_.injectedFault(TransferStep::WriteTemporary); fault != 0) {
            return failWithErrno(fault);
        }
        std::vector<char> buffer(1 << 18);
        for (;;) {
            const ssize_t got = ::read(in_.get(), buffer.data(), buffer.size());
            if (got < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return failWithErrno(errno);
            }
            if (got == 0) {
                break;
            }
            if (!writeAll(out.get(), buffer.data(), static_cast<std::size_t>(got))) {
                return failWithErrno(errno);
            }
        }
        // A copy is the user's to replace later (the ring file above all): a read-only source
        // must not make its copy read-only, or the next choice of a ring melody would fail.
        ::fchmod(out.get(), (sourceInfo_.st_mode & 0777) | S_IWUSR);
        const struct timespec times[2] = {sourceInfo_.st_atim, sourceInfo_.st_mtim};
        ::futimens(out.get(), times);
        if (::fsync(out.get()) != 0 || out.close() != 0) {
            return failWithErrno(errno);
        }
        return temporary;
    }

    using Temporary = TemporaryFile;

    // The prepared copy into the destination's place, in one rename.
    Status putInPlace(const std::string& temporary) const {
        if (const int error = renameStep(temporary, hostDestination_); error != 0) {
            return failWithErrno(error);
        }
        syncFolder(destinationFolder_);
        return Status::success();
    }

    // rename(2), with the test hook before it.
    int renameStep(const std::string& from, const std::string& to) const {
        if (const int fault = files_.injectedFault(TransferStep::RenameIntoPlace); fault != 0) {
            return fault;
        }
        return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    }

    // Whether this process may take the source out of its folder: the folder must be writable,
    // and a sticky folder lets only the owners remove an entry.
    bool sourceRemovable() const {
        const std::string folder = hostFolderOf(hostSource_);
        struct stat folderInfo {};
        if (::access(folder.c_str(), W_OK | X_OK) != 0 ||
            ::stat(folder.c_str(), &folderInfo) != 0) {
            return false;
        }
        const uid_t me = ::geteuid();
        return (folderInfo.st_mode & S_ISVTX) == 0 || me == 0 || me == folderInfo.st_uid ||
               me == sourceInfo_.st_uid;
    }

    Status moveSameVolume() {
        if (const int error = renameStep(hostSource_, hostDestination_); error != 0) {
            return failWithErrno(error);
        }
        syncFolder(destinationFolder_);
        syncFolder(hostFolderOf(hostSource_));
        return Status::success();
    }

    // Across volumes: the copy waits under a temporary name, the old destination is kept aside,
    // and the source goes last; a failure at any step puts back what was there.
    Status moveAcrossVolumes() {
        auto written = writeTemporary();
        if (!written.ok()) {
            return written.failure();
        }
        TemporaryFile temporary = std::move(written).value();
        std::optional<TemporaryFile> kept;
        if (destinationExists_) {
            std::string pattern = temporaryPattern(destinationFolder_);
            FileDescriptor placeholder(::mkostemps(pattern.data(), 4, O_CLOEXEC));
            if (!placeholder.valid()) {
                return failWithErrno(errno);
            }
            kept.emplace(pattern);
            // a hard link keeps the destination in place while it is kept aside
            ::unlink(pattern.c_str());
            if (::link(hostDestination_.c_str(), pattern.c_str()) != 0) {
                return failWithErrno(errno);
            }
        }
        if (const int error = renameStep(temporary.path(), hostDestination_); error != 0) {
            return failWithErrno(error);
        }
        temporary.keep();
        int removeError = files_.injectedFault(TransferStep::RemoveSource);
        if (removeError == 0 && ::unlink(hostSource_.c_str()) != 0) {
            removeError = errno;
        }
        if (removeError != 0) {
            const bool restored =
                kept ? ::rename(kept->path().c_str(), hostDestination_.c_str()) == 0
                     : ::unlink(hostDestination_.c_str()) == 0;
            if (restored && kept) {
                kept->keep();
            }
            syncFolder(destinationFolder_);
            if (!restored) {
                Failure failure = failWithErrno(removeError);
                failure.message = "Файлът " + failure_text::quoted(shownSource_) +
                                  " не може да бъде премахнат (" + reasonOfErrno(removeError) +
                                  "), а предишното съдържание на " +
                                  failure_text::quoted(shownDestination_) +
                                  " не може да бъде върнато: сега мелодията е и в двете папки.";
                return failure;
            }
            return failWithErrno(removeError);
        }
        syncFolder(destinationFolder_);
        syncFolder(hostFolderOf(hostSource_));
        return Status::success();
    }

    bool sameVolume() const { return sourceInfo_.st_dev == destinationDevice_; }

private:
    const PosixFileSystem& files_;
    std::string source_;
    std::string destination_;
    std::string shownSource_;
    std::string shownDestination_;
    bool isMove_;
    std::string hostSource_;
    std::string hostDestination_;
    std::string destinationFolder_;
    FileDescriptor in_;
    struct stat sourceInfo_ {};
    dev_t destinationDevice_ = 0;
    bool destinationExists_ = false;
};

Result<std::unique_ptr<PreparedCopy>> PosixFileSystem::prepareCopy(std::string_view source,
                                                                   std::string_view destination) {
    return prepareCopyWith(HostTransfer(*this, source, destination, false));
}

Status PosixFileSystem::moveFile(std::string_view source, std::string_view destination) {
    HostTransfer transfer(*this, source, destination, true);
    if (Status checked = transfer.check(); !checked.ok()) {
        return checked;
    }
    if (!transfer.sourceRemovable()) {
        return transfer.fail(ErrorCode::AccessDenied,
                             "достъпът е отказан (файлът не може да бъде премахнат от папката си)");
    }
    return transfer.sameVolume() ? transfer.moveSameVolume() : transfer.moveAcrossVolumes();
}

}  // namespace zorvik::posix
