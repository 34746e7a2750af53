#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace zorvik::testing {

// The current user's registry in memory, as Windows keeps it: keys and value names compare
// ignoring case and keep the case they were first written with, several values change as one,
// and a test can make the store refuse.
class FakeRegistry final : public Registry {
public:
    Result<RegistryValue> read(std::string_view key, std::string_view valueName) override;

    // Arranging values behind the program's back, as the phone program would.
    void set(std::string_view key, std::string_view valueName, RegistryValue value);
    void erase(std::string_view key, std::string_view valueName);
    std::optional<RegistryValue> get(std::string_view key, std::string_view valueName) const;
    bool hasKey(std::string_view key) const;
    // The values of a key in the order they were first written (as a file store appends them).
    std::vector<std::pair<std::string, RegistryValue>> valuesOf(std::string_view key) const;

    // After `after` more writes succeed, the next `count` fail with `code` (and change
    // nothing); reads fail with `code` while `unreadable` is set.
    void failWrites(int count, ErrorCode code = ErrorCode::AccessDenied, int after = 0) {
        failingWrites_ = count;
        failureCode_ = code;
        writesBeforeFailing_ = after;
    }
    void setUnreadable(bool unreadable, ErrorCode code = ErrorCode::AccessDenied) {
        unreadable_ = unreadable;
        readFailureCode_ = code;
    }
    int writes() const { return writes_; }

protected:
    Status applyChecked(std::string_view key, std::span<const ValueChange> changes) override;

private:
    struct Named {
        std::string name;
        RegistryValue value;
    };
    struct Key {
        std::string name;
        std::vector<Named> values;  // in the order first written
    };

    std::map<std::string, Key> keys_;  // by folded name
    int failingWrites_ = 0;
    int writesBeforeFailing_ = 0;
    ErrorCode failureCode_ = ErrorCode::AccessDenied;
    bool unreadable_ = false;
    ErrorCode readFailureCode_ = ErrorCode::AccessDenied;
    int writes_ = 0;
};

}  // namespace zorvik::testing
