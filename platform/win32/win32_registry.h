#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/registry.h"

namespace zorvik::win32 {

// The current user's registry (HKEY_CURRENT_USER) itself. Windows keeps it whole for any number
// of writers, so nothing is added on top; applying several values remembers what was there and
// puts it back when one of them fails.
class Win32Registry final : public Registry {
public:
    Result<RegistryValue> read(std::string_view key, std::string_view valueName) override;

    // Test hook: called before each value is written (with its name); a nonzero Win32 error code
    // makes that write fail with it.
    void setWriteFaultInjector(std::function<long(std::string_view valueName)> injector) {
        injector_ = std::move(injector);
    }

protected:
    Status applyChecked(std::string_view key, std::span<const ValueChange> changes) override;

private:
    std::function<long(std::string_view)> injector_;
};

}  // namespace zorvik::win32
