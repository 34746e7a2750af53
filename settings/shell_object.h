#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "platform/registry.h"
#include "platform/status.h"

namespace zorvik::settings {

// A stored value of a type that RegRead gives but this program cannot convert (binary, multi
// string, ...), tagged with the type as the store names it.
struct OtherValue {
    std::string type;
    friend bool operator==(const OtherValue&, const OtherValue&) = default;
};

// What RegRead gives: a REG_DWORD as a signed 32-bit integer, a string as a string.
using Variant = std::variant<std::int32_t, std::string, OtherValue>;

// A check box's state as RegWrite stores it with the type "REG_DWORD": a negative state as the
// same 32-bit pattern, which the phone program reads back.
RegistryValue dwordOf(std::int16_t state);

// The shell object's registry methods over the current user's registry. Full names are
// "HKCU\Key\Path\Value" (or "HKEY_CURRENT_USER\..."); a name ending in a backslash names a key's
// default value.
class ShellObject {
public:
    explicit ShellObject(Registry& registry) : registry_(registry) {}

    Result<Variant> RegRead(std::string_view fullName) const;
    // Without a type: stored as a string value.
    Status RegWrite(std::string_view fullName, std::string_view value) const;
    // With the type "REG_DWORD" stored as a 32-bit integer; "REG_SZ" stores its decimal digits.
    Status RegWrite(std::string_view fullName, std::int16_t value, std::string_view type) const;

    // What the program needs beyond the shell object's two methods to change several values of
    // one key as one: the stored value as it is (nullopt when there is none), and the writing of
    // several values, all or none (nullopt removes a value again, to undo a change).
    struct NamedValue {
        std::string_view fullName;
        std::optional<RegistryValue> value;
    };
    Result<std::optional<RegistryValue>> storedValue(std::string_view fullName) const;
    Status writeTogether(std::span<const NamedValue> values) const;

private:
    Status write(std::string_view fullName, const RegistryValue& value) const;

    Registry& registry_;
};

// Creation of an automation object by its programmatic identifier.
class ShellFactory {
public:
    virtual ~ShellFactory() = default;
    virtual Result<std::shared_ptr<ShellObject>> CreateObject(std::string_view progId) = 0;
};

// Knows "WScript.Shell" only, made over the given registry.
class RegistryShellFactory final : public ShellFactory {
public:
    explicit RegistryShellFactory(Registry& registry) : registry_(registry) {}
    Result<std::shared_ptr<ShellObject>> CreateObject(std::string_view progId) override;

private:
    Registry& registry_;
};

// The variable WSHShell with the procedure reg that fills it: each run of reg makes a new shell
// object and releases the one held; when creation fails, the old one stays.
class ShellHolder {
public:
    explicit ShellHolder(ShellFactory& factory) : factory_(factory) {}

    Status reg();
    // Empty until reg has first succeeded.
    const std::shared_ptr<ShellObject>& WSHShell() const { return shell_; }

private:
    ShellFactory& factory_;
    std::shared_ptr<ShellObject> shell_;
};

// The failure of a step that needs the shell object before reg has made one.
Failure noShellObject();

// Several values of one key through the shell object held, all or none.
Status writeTogether(const ShellHolder& holder, std::span<const ShellObject::NamedValue> values);

}  // namespace zorvik::settings
