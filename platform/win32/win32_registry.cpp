#include "platform/win32/win32_registry.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/win32/named_mutex_turn.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_errors.h"
#include "texts/failure_text.h"
#include "texts/texts.h"

namespace zorvik::win32 {

namespace {

using StoredValue = Win32Registry::StoredValue;

// The text of a string value: up to its first zero, as Windows' own readers take it.
std::wstring_view textOf(const std::vector<BYTE>& bytes) {
    const std::wstring_view all(reinterpret_cast<const wchar_t*>(bytes.data()),
                                bytes.size() / sizeof(wchar_t));
    return all.substr(0, all.find(L'\0'));
}

// RegQueryValueExW until the buffer holds the whole value, which may grow meanwhile.
LSTATUS queryValue(HKEY key, const std::wstring& name, StoredValue& out) {
    DWORD size = 0;
    LSTATUS status = RegQueryValueExW(key, name.c_str(), nullptr, &out.type, nullptr, &size);
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        out.bytes.resize(size);
        status = RegQueryValueExW(key, name.c_str(), nullptr, &out.type, out.bytes.data(), &size);
        if (status == ERROR_SUCCESS) {
            out.bytes.resize(size);
            return status;
        }
    }
    return status;
}

std::optional<StoredValue> storedForm(const RegistryValue& value) {
    StoredValue stored;
    if (value.type == RegistryValue::Type::Other) {
        // a value of another type, put back as it was read
        const auto type = typeOfTag(value.text);
        if (!type) {
            return std::nullopt;
        }
        stored.type = *type;
        stored.bytes.assign(value.bytes.begin(), value.bytes.end());
        return stored;
    }
    if (value.type == RegistryValue::Type::Dword) {
        stored.type = REG_DWORD;
        const DWORD number = value.number;
        const auto* bytes = reinterpret_cast<const BYTE*>(&number);
        stored.bytes.assign(bytes, bytes + sizeof number);
        return stored;
    }
    // a text with a zero in it ends there, as when Windows' own writers store it
    auto wide = toWide(std::string_view(value.text).substr(0, value.text.find('\0')));
    if (!wide) {
        return std::nullopt;
    }
    stored.type = value.type == RegistryValue::Type::ExpandString ? REG_EXPAND_SZ : REG_SZ;
    const auto* bytes = reinterpret_cast<const BYTE*>(wide->c_str());
    stored.bytes.assign(bytes, bytes + (wide->size() + 1) * sizeof(wchar_t));
    return stored;
}

}  // namespace

Result<RegistryValue> Win32Registry::read(std::string_view key, std::string_view valueName) {
    const std::string fullName = fullValueName(key, valueName);
    const auto wideKey = toWide(key);
    const auto wideName = toWide(valueName);
    if (!wideKey || !wideName) {
        return failure_text::settingReadFailed(ErrorCode::InvalidName, fullName);
    }
    // Any type, and an expandable text as stored: the reader decides what a value means.
    constexpr DWORD kFlags = RRF_RT_ANY | RRF_NOEXPAND;
    StoredValue stored;
    DWORD size = 0;
    LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, wideKey->c_str(), wideName->c_str(), kFlags,
                                  &stored.type, nullptr, &size);
    while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
        stored.bytes.resize(size);
        status = RegGetValueW(HKEY_CURRENT_USER, wideKey->c_str(), wideName->c_str(), kFlags,
                              &stored.type, stored.bytes.data(), &size);
        if (status == ERROR_SUCCESS) {
            stored.bytes.resize(size);
            break;
        }
    }
    if (status != ERROR_SUCCESS) {
        const auto error = static_cast<DWORD>(status);
        return failure_text::settingReadFailed(
            codeOfError(error), fullName,
            error == ERROR_FILE_NOT_FOUND ? texts::kNoSuchValue : reasonOfError(error));
    }
    switch (stored.type) {
        case REG_SZ:
        case REG_EXPAND_SZ: {
            auto text = toUtf8(textOf(stored.bytes));
            if (!text) {
                return failure_text::settingReadFailed(ErrorCode::Corrupt, fullName,
                                                       texts::kNotValidText);
            }
            RegistryValue value = RegistryValue::string(std::move(*text));
            if (stored.type == REG_EXPAND_SZ) {
                value.type = RegistryValue::Type::ExpandString;
            }
            return value;
        }
        case REG_DWORD:
            if (stored.bytes.size() != sizeof(DWORD)) {
                return failure_text::settingReadFailed(ErrorCode::Corrupt, fullName,
                                                       texts::kNotFourBytes);
            }
            {
                DWORD number = 0;
                std::memcpy(&number, stored.bytes.data(), sizeof number);
                return RegistryValue::dword(number);
            }
        default:
            return RegistryValue{RegistryValue::Type::Other, tagOfType(stored.type), 0,
                                 std::string(stored.bytes.begin(), stored.bytes.end())};
    }
}

LSTATUS Win32Registry::change(HKEY key, const std::wstring& name,
                              const std::optional<StoredValue>& value) {
    if (value) {
        return RegSetValueExW(key, name.c_str(), 0, value->type, value->bytes.data(),
                              static_cast<DWORD>(value->bytes.size()));
    }
    const LSTATUS status = RegDeleteValueW(key, name.c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

Status Win32Registry::applyChecked(std::string_view key, std::span<const ValueChange> changes) {
    const auto failed = [&](ErrorCode code, std::string_view name, std::string_view why = {}) {
        return Status(failure_text::settingWriteFailed(code, fullValueName(key, name), why));
    };
    const auto wideKey = toWide(key);
    if (!wideKey) {
        return failed(ErrorCode::InvalidName, changes.front().name);
    }
    // Every conversion before the first write, so that a text that cannot be stored changes
    // nothing.
    struct Planned {
        std::wstring name;
        std::optional<StoredValue> value;
    };
    std::vector<Planned> plan;
    for (const auto& change : changes) {
        auto name = toWide(change.name);
        if (!name) {
            return failed(ErrorCode::InvalidName, change.name);
        }
        std::optional<StoredValue> value;
        if (change.value) {
            value = storedForm(*change.value);
            if (!value) {
                return failed(ErrorCode::InvalidName, change.name, texts::kNotValidUtf8);
            }
        }
        plan.push_back({std::move(*name), std::move(value)});
    }
    const NamedMutexTurn turn(kWritersMutex, writePatience_);
    if (turn.busy()) {
        return failed(ErrorCode::Busy, changes.front().name, texts::kWritersBusy);
    }
    RegistryKey opened;
    if (const LSTATUS status = RegCreateKeyExW(
            HKEY_CURRENT_USER, wideKey->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
            KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, opened.out(), nullptr);
        status != ERROR_SUCCESS) {
        const auto error = static_cast<DWORD>(status);
        return failed(codeOfError(error), changes.front().name, reasonOfError(error));
    }
    // What each value held before its change, to put back should a later one fail.
    std::vector<std::optional<StoredValue>> before;
    for (std::size_t i = 0; i < plan.size(); ++i) {
        StoredValue old;
        LSTATUS status = queryValue(opened.get(), plan[i].name, old);
        if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) {
            before.push_back(status == ERROR_SUCCESS ? std::optional(std::move(old))
                                                     : std::nullopt);
            status = change(opened.get(), plan[i].name, plan[i].value);
        }
        if (status != ERROR_SUCCESS) {
            // the value that failed is put back too, in case it was written in part
            bool undone = true;
            for (std::size_t undo = before.size(); undo-- > 0;) {
                const LSTATUS back = change(opened.get(), plan[undo].name, before[undo]);
                undone = undone && back == ERROR_SUCCESS;
            }
            const auto error = static_cast<DWORD>(status);
            Status result = failed(codeOfError(error), changes[i].name, reasonOfError(error));
            if (!undone) {
                Failure failure = result.failure();
                failure.message += texts::kEarlierValuesNotUndone;
                return failure;
            }
            return result;
        }
    }
    // a key emptied by a removal goes with its last value, unless a key lies below it
    DWORD subkeys = 1;
    DWORD values = 1;
    if (std::any_of(plan.begin(), plan.end(), [](const Planned& p) { return !p.value; }) &&
        RegQueryInfoKeyW(opened.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                         &values, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        subkeys == 0 && values == 0) {
        RegDeleteKeyW(HKEY_CURRENT_USER, wideKey->c_str());
    }
    return Status::success();
}

}  // namespace zorvik::win32
