#pragma once

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace zorvik::win32 {

// The current user's registry (HKEY_CURRENT_USER) itself. Windows keeps each value whole for any
// number of writers. Applying several values remembers what was there and puts it back when one
// of them fails, and takes a turn with the other instances of this program, so that two of them
// (two windows closing at once) never leave a mix of what each wrote.
class Win32Registry : public Registry {
public:
    // The mutex whose turn every apply takes; per session, as the current user's registry is.
    static constexpr const wchar_t* kWritersMutex = L"Local\\Zorvik.Setings.writers";

    // An apply waits for another instance's turn so long, then gives up with Busy: a turn lasts
    // a few registry calls, so only a hung instance takes longer.
    explicit Win32Registry(std::chrono::milliseconds writePatience = std::chrono::seconds(3))
        : writePatience_(writePatience) {}

    Result<RegistryValue> read(std::string_view key, std::string_view valueName) override;

    // A value as the registry holds it, to be put back exactly.
    struct StoredValue {
        DWORD type = REG_NONE;
        std::vector<BYTE> bytes;
    };

protected:
    Status applyChecked(std::string_view key, std::span<const ValueChange> changes) override;
    // Sets one value of the open key, or removes it (none), as an apply and its undo do.
    virtual LSTATUS change(HKEY key, const std::wstring& name,
                           const std::optional<StoredValue>& value);

private:
    std::chrono::milliseconds writePatience_;
};

}  // namespace zorvik::win32
