#pragma once

#include <cstdio>
#include <string>

// The probes answer the test scripts in lines of UTF-8, whatever the console's code page.
namespace zorvik::testing {

inline void print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

}  // namespace zorvik::testing
