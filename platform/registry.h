#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "platform/status.h"

namespace zorvik {

struct RegistryValue {
    enum class Type { String, ExpandString, Dword, Other };

    Type type = Type::String;
    // String and ExpandString; for Other, the stored type's tag as the registry editor's files
    // give it ("hex" for REG_BINARY, "hex(7)" for REG_MULTI_SZ)
    std::string text;
    std::uint32_t number = 0;  // Dword
    std::string bytes = {};    // Other: the stored bytes, to put back as they were

    static RegistryValue string(std::string value) { return {Type::String, std::move(value), 0}; }
    static RegistryValue dword(std::uint32_t value) { return {Type::Dword, {}, value}; }
    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// The registry's number for a type's tag ("hex" is 3, "hex(7)" is 7): only a tag of that exact
// form, at most eight hexadecimal digits, names a type that can be written back.
std::optional<std::uint32_t> typeOfTag(std::string_view tag);
// The tag the registry editor writes for a type: "hex" for REG_BINARY, else "hex(<type>)".
std::string tagOfType(std::uint32_t type);

// One value of a key to set, or (without a value) to remove again: removing is only ever done to
// undo a change this program made, never to a value it found.
struct ValueChange {
    std::string name;
    std::optional<RegistryValue> value;
};

// The registry of the current user. Keys are paths below HKEY_CURRENT_USER ("Zorvik\Setings");
// keys and value names compare ignoring case. Nothing read is stale: every read returns what is
// stored at that moment.
class Registry {
public:
    virtual ~Registry() = default;

    // Fails with NotFound when the key or the value does not exist.
    virtual Result<RegistryValue> read(std::string_view key, std::string_view valueName) = 0;

    // Creates the key and the value when missing; replaces the value otherwise. A value of
    // another type is written with its bytes, only ever to put back what was read: one whose
    // tag names no type is refused.
    Status write(std::string_view key, std::string_view valueName, const RegistryValue& value);

    // Several values of one key, all or nothing: when it fails, every value is as it was.
    Status apply(std::string_view key, std::span<const ValueChange> changes);

    // "HKEY_CURRENT_USER\key\value", as messages name a value.
    static std::string fullValueName(std::string_view key, std::string_view valueName);

protected:
    // Called with changes that passed the checks common to every store.
    virtual Status applyChecked(std::string_view key, std::span<const ValueChange> changes) = 0;
};

}  // namespace zorvik
