// The Win32 registry as other programs leave it: values of every type, texts with a zero in
// them, and several values that must change together when one of them cannot.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <utility>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_registry.h"
#include "tests/win32/scratch.h"

namespace zorvik::win32 {
namespace {

class Win32RegistryTest : public ::testing::Test {
protected:
    // A value as another program would store it, behind the registry's back.
    void storeRaw(const wchar_t* name, DWORD type, const void* data, DWORD size) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, toWideLossy(scratch.key()).c_str(), name, type,
                                  data, size),
                  ERROR_SUCCESS);
    }
    std::optional<RegistryValue> stored(std::string_view name) {
        auto value = registry.read(scratch.key(), name);
        return value.ok() ? std::optional(value.value()) : std::nullopt;
    }

    // The registry, whose next change of the value `failing` fails with `failure`.
    struct FailingRegistry final : Win32Registry {
        LSTATUS change(HKEY key, const std::wstring& name,
                       const std::optional<StoredValue>& value) override {
            return name == failing && failure != ERROR_SUCCESS
                       ? std::exchange(failure, ERROR_SUCCESS)
                       : Win32Registry::change(key, name, value);
        }
        std::wstring failing;
        LSTATUS failure = ERROR_SUCCESS;
    };

    testing::ScratchKey scratch;
    FailingRegistry registry;
};

TEST_F(Win32RegistryTest, ValuesOfEveryTypeReadAsStored) {
    const wchar_t expandable[] = L"%TEMP%\\Звън.wav";
    const unsigned char binary[] = {1, 2, 3};
    const wchar_t multi[] = L"a\0b\0";
    const unsigned long long quad = 5;
    const wchar_t cut[] = L"Звън\0скрито";
    storeRaw(L"Expand", REG_EXPAND_SZ, expandable, sizeof expandable);
    storeRaw(L"Binary", REG_BINARY, binary, sizeof binary);
    storeRaw(L"Multi", REG_MULTI_SZ, multi, sizeof multi);
    storeRaw(L"Quad", REG_QWORD, &quad, sizeof quad);
    storeRaw(L"Cut", REG_SZ, cut, sizeof cut);
    storeRaw(L"Unterminated", REG_SZ, L"abc", 3 * sizeof(wchar_t));

    RegistryValue expand = RegistryValue::string("%TEMP%\\Звън.wav");
    expand.type = RegistryValue::Type::ExpandString;
    EXPECT_EQ(stored("Expand"), expand) << "kept as stored, not expanded";
    const auto other = [](const char* tag, const void* bytes, std::size_t size) {
        return RegistryValue{RegistryValue::Type::Other, tag, 0,
                             std::string(static_cast<const char*>(bytes), size)};
    };
    EXPECT_EQ(stored("Binary"), other("hex", binary, sizeof binary));
    EXPECT_EQ(stored("Multi"), other("hex(7)", multi, sizeof multi));
    EXPECT_EQ(stored("Quad"), other("hex(b)", &quad, sizeof quad));
    EXPECT_EQ(stored("Cut"), RegistryValue::string("Звън")) << "a text ends at its first zero";
    EXPECT_EQ(stored("Unterminated"), RegistryValue::string("abc"));
}

TEST_F(Win32RegistryTest, WhatIsWrittenIsUtf16ForEveryReader) {
    ASSERT_TRUE(
        registry.write(scratch.key(), "RingSound", RegistryValue::string("Звън 🎵.wav")).ok());
    ASSERT_TRUE(registry.write(scratch.key(), "Cut", RegistryValue::string({"ab\0cd", 5})).ok());
    ASSERT_TRUE(registry.write(scratch.key(), "Audio", RegistryValue::dword(2)).ok());
    const auto rawText = [&](const wchar_t* name) {
        wchar_t text[64] = {};
        DWORD size = sizeof text;
        EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, toWideLossy(scratch.key()).c_str(), name,
                               RRF_RT_REG_SZ, nullptr, text, &size),
                  ERROR_SUCCESS);
        return std::wstring(text, size / sizeof(wchar_t));
    };
    EXPECT_EQ(rawText(L"RingSound"), std::wstring(L"Звън 🎵.wav") + L'\0');
    EXPECT_EQ(rawText(L"Cut"), std::wstring(L"ab\0", 3)) << "stored only up to the zero";
    DWORD number = 0;
    DWORD size = sizeof number;
    EXPECT_EQ(RegGetValueW(HKEY_CURRENT_USER, toWideLossy(scratch.key()).c_str(), L"Audio",
                           RRF_RT_REG_DWORD, nullptr, &number, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(number, 2u);
}

// One value refused halfway: the ones before it get back what they held, and one that was
// missing is missing again. A text that is not UTF-8 is refused before anything is written.
TEST_F(Win32RegistryTest, ARefusedValueTakesBackTheOnesBeforeIt) {
    const struct {
        const char* ringSound;
        long audioFault;
        ErrorCode code;
        const char* refused;  // the value the failure names
    } rows[] = {
        {"Звън.wav", ERROR_ACCESS_DENIED, ErrorCode::AccessDenied, "Audio"},
        {"\xFF.wav", ERROR_SUCCESS, ErrorCode::InvalidName, "RingSound"},
    };
    for (const auto& row : rows) {
        ASSERT_TRUE(registry.write(scratch.key(), "AudioPath", RegistryValue::string("стар")).ok());
        const std::array<ValueChange, 3> changes{{
            {"AudioPath", RegistryValue::string("C:\\Program Files\\Zorvik\\Rings")},
            {"RingSound", RegistryValue::string(row.ringSound)},
            {"Audio", RegistryValue::dword(1)},
        }};
        registry.failing = L"Audio";
        registry.failure = static_cast<LSTATUS>(row.audioFault);
        const Status applied = registry.apply(scratch.key(), changes);
        ASSERT_FALSE(applied.ok()) << row.ringSound;
        EXPECT_EQ(applied.code(), row.code);
        EXPECT_NE(applied.failure().message.find(row.refused), std::string::npos);
        EXPECT_EQ(stored("AudioPath"), RegistryValue::string("стар"));
        EXPECT_FALSE(stored("RingSound"));
        EXPECT_FALSE(stored("Audio"));
    }
}

}  // namespace
}  // namespace zorvik::win32
