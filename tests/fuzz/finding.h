#pragma once

// What no input may make the code under test do ends the run as a finding, which libFuzzer
// keeps with the input that led to it.
namespace zorvik::fuzz {

[[noreturn]] inline void finding() {
    __builtin_trap();
}

inline void require(bool holds) {
    if (!holds) {
        finding();
    }
}

}  // namespace zorvik::fuzz
