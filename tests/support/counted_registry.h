#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "platform/registry.h"

namespace zorvik::testing {

// The settings store, with a step counted before and after every write: a kill can land on
// either side of it. A write to `refusedKey` is refused, as one another program guards.
class CountedRegistry final : public Registry {
public:
    CountedRegistry(Registry& inner, std::function<void()> step)
        : inner_(inner), step_(std::move(step)) {}
    Result<RegistryValue> read(std::string_view key, std::string_view valueName) override {
        return inner_.read(key, valueName);
    }

    std::string refusedKey;

protected:
    Status applyChecked(std::string_view key, std::span<const ValueChange> changes) override {
        if (!refusedKey.empty() && key == refusedKey) {
            return Failure{ErrorCode::AccessDenied, "refused"};
        }
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
