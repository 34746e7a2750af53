#pragma once

#include <string>

#include "platform/status.h"

namespace zorvik::posix {

ErrorCode codeOfErrno(int error);
// A Bulgarian reason for an errno, more precise than the code's generic one where it helps.
std::string reasonOfErrno(int error);

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.release()) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    ~FileDescriptor();

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release();
    // Closes now and reports the result, which a write may only learn here.
    int close();

private:
    int fd_;
};

// Retries on EINTR; returns false with errno set when not every byte could be written.
bool writeAll(int fd, const char* data, std::size_t size);
// Flushes a folder's entries (a rename) to disk; failures are not worth reporting.
void syncFolder(const std::string& folder);
// Creates the missing folders of `folder`, each with mode 0700 (this user's own); false with
// errno set when one cannot be made.
bool makeFolders(const std::string& folder);
// The folder part of a host path ("/" for a file at the root, "." for a bare name).
std::string hostFolderOf(const std::string& hostPath);

}  // namespace zorvik::posix
