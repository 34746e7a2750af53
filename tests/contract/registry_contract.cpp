// The settings store's contract, one table for every backend.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "tests/contract/harness.h"

namespace zorvik::testing {
namespace {

class RegistryContract : public ::testing::TestWithParam<RegistryBackend> {
protected:
    void SetUp() override {
        machine = GetParam().make();
        key = machine->key();
    }
    Registry& registry() { return machine->registry(); }
    std::optional<RegistryValue> stored(std::string_view name) {
        auto value = registry().read(key, name);
        return value.ok() ? std::optional(value.value()) : std::nullopt;
    }

    std::unique_ptr<RegistryHarness> machine;
    std::string key;
};

// What is written reads back with its type, names match ignoring case (a write replaces the
// type too), and what was never written, key or value, is not found.
TEST_P(RegistryContract, WhatIsWrittenReadsBackWithItsTypeAndNothingElseIsFound) {
    const auto notFound = [&](std::string_view name) {
        const auto missing = registry().read(key, name);
        return !missing.ok() && missing.failure().code == ErrorCode::NotFound &&
               missing.failure().message.find(name) != std::string::npos;
    };
    EXPECT_TRUE(notFound("Audio")) << "no key yet";
    const struct {
        const char* name;
        RegistryValue value;
    } rows[] = {
        {"RingSound", RegistryValue::string("Звън на Зорвик.wav")},
        {"AudioPath", RegistryValue::string("C:\\Program Files\\Zorvik\\Rings")},
        {"Empty", RegistryValue::string("")},
        {"Quotes", RegistryValue::string("a \"b\" \\c")},
        {"Audio", RegistryValue::dword(1)},
        {"Negative", RegistryValue::dword(0xFFFFFFFF)},
        {"Lines", RegistryValue::string("line\nbreak\tand tab")},
        {"Expand", RegistryValue{RegistryValue::Type::ExpandString, "%HOME%\\x", 0}},
        {"A \"quoted\" name", RegistryValue::dword(0xFFFF8000)},
        // another type, put back as it was read
        {"Multi", RegistryValue{RegistryValue::Type::Other, "hex(7)", 0, {"a\0b\0\0\0", 6}}},
        {"Binary", RegistryValue{RegistryValue::Type::Other, "hex", 0, {"\0\xff\n", 3}}},
    };
    for (const auto& row : rows) {
        const Status written = registry().write(key, row.name, row.value);
        ASSERT_TRUE(written.ok()) << row.name << ": " << written.failure().message;
    }
    for (const auto& row : rows) {
        EXPECT_EQ(stored(row.name), row.value) << row.name;
    }
    ASSERT_TRUE(registry().write(key, "inDeleted", RegistryValue::string("1")).ok());
    ASSERT_TRUE(registry().write(key, "INDELETED", RegistryValue::dword(1)).ok());
    EXPECT_EQ(stored("indeleted"), RegistryValue::dword(1));
    EXPECT_TRUE(notFound("Missing"));
}

TEST_P(RegistryContract, SeveralValuesChangeTogetherAndCanBeTakenBack) {
    ASSERT_TRUE(registry().write(key, "AudioPath", RegistryValue::string("old")).ok());
    const std::array<ValueChange, 2> record{{
        {"AudioPath", RegistryValue::string("C:\\Program Files\\Zorvik\\Rings")},
        {"RingSound", RegistryValue::string("Звън.wav")},
    }};
    ASSERT_TRUE(registry().apply(key, record).ok());
    EXPECT_EQ(stored("AudioPath"), record[0].value);
    EXPECT_EQ(stored("RingSound"), record[1].value);
    // undoing: the old folder back, the name that was missing removed again
    const std::array<ValueChange, 2> undo{{
        {"AudioPath", RegistryValue::string("old")},
        {"RingSound", std::nullopt},
    }};
    ASSERT_TRUE(registry().apply(key, undo).ok());
    EXPECT_EQ(stored("AudioPath"), RegistryValue::string("old"));
    EXPECT_FALSE(stored("RingSound"));
    // a key goes with its last value, unless a key lies below it
    const std::string below = key + "\\Below";
    ASSERT_TRUE(registry().write(below, "x", RegistryValue::dword(1)).ok());
    const std::array<ValueChange, 1> last{{{"AudioPath", std::nullopt}}};
    ASSERT_TRUE(registry().apply(key, last).ok());
    EXPECT_TRUE(machine->keyExists(key));
    const std::array<ValueChange, 1> belowLast{{{"x", std::nullopt}}};
    ASSERT_TRUE(registry().apply(below, belowLast).ok());
    EXPECT_FALSE(machine->keyExists(below));
    ASSERT_TRUE(registry().write(key, "AudioPath", RegistryValue::string("old")).ok());
    ASSERT_TRUE(registry().apply(key, last).ok());
    EXPECT_FALSE(machine->keyExists(key));
}

TEST_P(RegistryContract, AValueWhoseTagNamesNoTypeIsRefusedAndNothingChanges) {
    ASSERT_TRUE(registry().write(key, "Audio", RegistryValue::dword(1)).ok());
    const std::array<ValueChange, 2> changes{{
        {"Audio", RegistryValue::dword(0)},
        {"Unknown", RegistryValue{RegistryValue::Type::Other, "hex(7):00\n\"Audio\"=dword", 0}},
    }};
    const Status applied = registry().apply(key, changes);
    ASSERT_FALSE(applied.ok());
    EXPECT_EQ(applied.code(), ErrorCode::Unsupported);
    EXPECT_EQ(stored("Audio"), RegistryValue::dword(1));
    EXPECT_FALSE(stored("Unknown"));
}

// Another program may hold the store for good: a write gives up after a while without changing
// anything, saying so, so that the user can be asked to try again; reads go on answering. One
// killed while it held the store holds it no longer: the next write takes it, and passes it on.
TEST_P(RegistryContract, AWriteMeetingTheStoreHeldElsewhereGivesUpAndChangesNothing) {
    machine->abandonHold();
    ASSERT_TRUE(registry().write(key, "Audio", RegistryValue::dword(1)).ok());
    const std::array<ValueChange, 2> options{{
        {"Audio", RegistryValue::dword(0)},
        {"inDeleted", RegistryValue::dword(1)},
    }};
    {
        // the other program holds the store a hundred times the patience, then lets go: a writer
        // whose unit of patience was mistaken would still be waiting, and would then write
        std::promise<void> taken;
        std::mutex mutex;
        std::condition_variable answered;
        bool done = false;
        std::thread other([&] {
            const auto held = machine->holdStore();
            taken.set_value();
            std::unique_lock lock(mutex);
            // a store without patience (the fake) gives up at once: hold it until the writer has
            if (machine->patience() == std::chrono::milliseconds::zero()) {
                answered.wait(lock, [&] { return done; });
            } else {
                answered.wait_for(lock, machine->patience() * 100, [&] { return done; });
            }
        });
        taken.get_future().wait();
        const auto start = std::chrono::steady_clock::now();
        const Status applied = registry().apply(key, options);
        // it waits out its patience before giving up, not at once
        const auto waited = std::chrono::steady_clock::now() - start;
        // reads go on answering while it holds the store
        const auto audio = stored("Audio");
        const auto inDeleted = stored("inDeleted");
        {
            const std::lock_guard lock(mutex);
            done = true;
        }
        answered.notify_one();
        other.join();
        EXPECT_GE(waited, machine->patience());
        ASSERT_FALSE(applied.ok());
        EXPECT_EQ(applied.code(), ErrorCode::Busy);
        EXPECT_NE(applied.failure().message.find("Audio"), std::string::npos);
        EXPECT_EQ(audio, RegistryValue::dword(1));
        EXPECT_FALSE(inDeleted);
    }
    ASSERT_TRUE(registry().apply(key, options).ok());
    EXPECT_EQ(stored("inDeleted"), RegistryValue::dword(1));
}

INSTANTIATE_TEST_SUITE_P(Backends, RegistryContract, ::testing::ValuesIn(registryBackends()),
                         [](const auto& backend) { return backend.param.name; });

}  // namespace
}  // namespace zorvik::testing
