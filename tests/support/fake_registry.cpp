#include "tests/support/fake_registry.h"

#include "platform/windows_text.h"
#include "texts/failure_text.h"

namespace zorvik::testing {

Result<RegistryValue> FakeRegistry::read(std::string_view key, std::string_view valueName) {
    const std::string name = fullValueName(key, valueName);
    if (unreadable_) {
        return failure_text::settingReadFailed(readFailureCode_, name);
    }
    auto value = get(key, valueName);
    if (!value) {
        return failure_text::settingReadFailed(ErrorCode::NotFound, name, "няма такава стойност");
    }
    return std::move(*value);
}

Status FakeRegistry::applyChecked(std::string_view key, std::span<const ValueChange> changes) {
    if (failingWrites_ > 0 && writesBeforeFailing_-- <= 0) {
        --failingWrites_;
        return failure_text::settingWriteFailed(failureCode_,
                                                fullValueName(key, changes.front().name));
    }
    ++writes_;
    for (const auto& change : changes) {
        if (change.value) {
            set(key, change.name, *change.value);
        } else {
            erase(key, change.name);
        }
    }
    // a key emptied goes with its last value, unless a key lies below it
    const std::string folded = text::foldCase(key);
    const auto found = keys_.find(folded);
    const auto below = keys_.lower_bound(folded + "\\");
    if (found != keys_.end() && found->second.values.empty() &&
        (below == keys_.end() || !below->first.starts_with(folded + "\\"))) {
        keys_.erase(found);
    }
    return Status::success();
}

void FakeRegistry::set(std::string_view key, std::string_view valueName, RegistryValue value) {
    auto [entry, added] = keys_.try_emplace(text::foldCase(key));
    if (added) {
        entry->second.name = std::string(key);
    }
    for (auto& named : entry->second.values) {
        if (text::equalsIgnoringCase(named.name, valueName)) {
            named.value = std::move(value);
            return;
        }
    }
    entry->second.values.push_back({std::string(valueName), std::move(value)});
}

void FakeRegistry::erase(std::string_view key, std::string_view valueName) {
    if (const auto found = keys_.find(text::foldCase(key)); found != keys_.end()) {
        std::erase_if(found->second.values, [&](const Named& named) {
            return text::equalsIgnoringCase(named.name, valueName);
        });
    }
}

std::optional<RegistryValue> FakeRegistry::get(std::string_view key,
                                               std::string_view valueName) const {
    const auto found = keys_.find(text::foldCase(key));
    if (found == keys_.end()) {
        return std::nullopt;
    }
    for (const auto& named : found->second.values) {
        if (text::equalsIgnoringCase(named.name, valueName)) {
            return named.value;
        }
    }
    return std::nullopt;
}

bool FakeRegistry::hasKey(std::string_view key) const {
    return keys_.count(text::foldCase(key)) != 0;
}

std::vector<std::pair<std::string, RegistryValue>> FakeRegistry::valuesOf(
    std::string_view key) const {
    std::vector<std::pair<std::string, RegistryValue>> out;
    if (const auto found = keys_.find(text::foldCase(key)); found != keys_.end()) {
        for (const auto& named : found->second.values) {
            out.emplace_back(named.name, named.value);
        }
    }
    return out;
}

}  // namespace zorvik::testing
