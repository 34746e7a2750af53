#pragma once

#include <utility>

namespace zorvik {

// Gives a variable a value for as long as the scope lasts, and gives back what it held however
// the scope ends.
template <typename T>
class ScopedValue {
public:
    ScopedValue(T& variable, T value)
        : variable_(variable), saved_(std::exchange(variable, std::move(value))) {}
    ~ScopedValue() { variable_ = std::move(saved_); }
    ScopedValue(const ScopedValue&) = delete;
    ScopedValue& operator=(const ScopedValue&) = delete;

private:
    T& variable_;
    T saved_;
};

// Runs an action however the scope ends.
template <typename Action>
class ScopeExit {
public:
    explicit ScopeExit(Action action) : action_(std::move(action)) {}
    ~ScopeExit() { action_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    Action action_;
};

}  // namespace zorvik
