#pragma once

#include <functional>
#include <span>
#include <string_view>
#include <utility>

#include "platform/registry.h"

namespace zorvik::testing {

// The settings store, with a step counted before and after every write: a kill can land on
// either side of it.
class CountedRegistry final : public Registry {
public:
    CountedRegistry(Registry& inner, std::function<void()> step)
        : inner_(inner), step_(std::move(step)) {}
    Result<RegistryValue> read(std::string_view key, std::string_view valueName) override {
        return inner_.read(key, valueName);
    }

protected:
    Status applyChecked(std::string_view key, std::span<const ValueChange> changes) override {
        step_();
        Status applied = inner_.apply(key, changes);
        step_();
        return applied;
    }

private:
    Registry& inner_;
    std::function<void()> step_;
};

}  // namespace zorvik::testing
