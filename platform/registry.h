#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/status.h"

namespace zorvik {

struct RegistryValue {
    enum class Type { String, ExpandString, Dword, Other };

    Type type = Type::String;
    std::string text;          // String and ExpandString; for Other, the stored type's tag
    std::uint32_t number = 0;  // Dword

    static RegistryValue string(std::string value) { return {Type::String, std::move(value), 0}; }
    static RegistryValue dword(std::uint32_t value) { return {Type::Dword, {}, value}; }
    friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

// The registry of the current user. Keys are paths below HKEY_CURRENT_USER ("Zorvik\Setings");
// keys and value names compare ignoring case. Nothing read is cached.
class Registry {
public:
    virtual ~Registry() = default;

    // Fails with NotFound when the key or the value does not exist.
    virtual Result<RegistryValue> read(std::string_view key, std::string_view valueName) = 0;
    // Creates the key and the value when missing; replaces the value otherwise.
    virtual Status write(std::string_view key, std::string_view valueName,
                         const RegistryValue& value) = 0;
};

}  // namespace zorvik
