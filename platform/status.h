#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

namespace zorvik {

// Why an operation of the platform failed. The core decides on some of these (a copy onto the
// same file, a missing folder), so they are codes and not only texts.
enum class ErrorCode {
    NotFound,        // no such file
    FolderNotFound,  // no such folder, or a path through a missing folder
    NotAFolder,      // a path goes on below something that is a file
    IsFolder,        // a folder where a file was expected
    SameFile,        // source and destination of a copy are one file on disk
    AccessDenied,
    InUse,  // another program holds the file open and does not share it
    ReadOnly,
    DiskFull,
    TooLarge,
    InvalidName,  // a name that Windows cannot hold
    Ambiguous,    // several entries match a name ignoring case, none exactly
    NoDrive,
    Io,
    Corrupt,
    Unsupported,
    NoDevice,
    NotAvailable,  // a service that could not be created or reached
    Cancelled,
    NotSameVolume,  // a rename that must become a copy: source and destination lie on two volumes
    Busy,           // held by another program for longer than is worth waiting: worth trying again
    Other,
    // Not failures but notices: the user asked for something there was nothing to do for.
    NothingMarked,
    NothingToDo,
};

// Notices are shown with the information icon; everything else is a failure.
constexpr bool isNotice(ErrorCode code) {
    return code == ErrorCode::NothingMarked || code == ErrorCode::NothingToDo;
}

// A failure carries one Bulgarian sentence for the user that names what failed and why.
struct Failure {
    ErrorCode code = ErrorCode::Other;
    std::string message;
};

// Asking a successful status for its failure is a fault of the caller, never of the platform:
// it is reported as such instead of reading an empty optional.
class [[nodiscard]] Status {
public:
    Status() = default;
    Status(Failure failure) : failure_(std::move(failure)) {}  // NOLINT: implicit on purpose

    static Status success() { return {}; }
    bool ok() const { return !failure_.has_value(); }
    const Failure& failure() const {
        if (!failure_) {
            throw std::logic_error("Status::failure() called on a success");
        }
        return *failure_;
    }
    ErrorCode code() const { return failure().code; }

private:
    std::optional<Failure> failure_;
};

// What an operation the user cancelled says: nothing more. The user who cancelled knows why
// nothing changed, having just chosen it or read why in the box that offered the cancel.
inline Status cancelCountsAsSuccess(const Status& status) {
    return status.ok() || status.code() == ErrorCode::Cancelled ? Status::success() : status;
}

template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : content_(std::move(value)) {}            // NOLINT: implicit on purpose
    Result(Failure failure) : content_(std::move(failure)) {}  // NOLINT: implicit on purpose

    bool ok() const { return std::holds_alternative<T>(content_); }
    // Both throw std::bad_variant_access when asked for what the result does not hold.
    const T& value() const& { return std::get<T>(content_); }
    T&& value() && { return std::get<T>(std::move(content_)); }
    const Failure& failure() const { return std::get<Failure>(content_); }
    Status status() const { return ok() ? Status::success() : Status(failure()); }

private:
    std::variant<T, Failure> content_;
};

}  // namespace zorvik
