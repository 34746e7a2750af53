#pragma once

#include <string>
#include <vector>

// What this test program asks of Windows to make a replacement durable, recorded in order by
// patching its own import table while the trace lives: a test sees the calls as Windows does.
namespace zorvik::testing {

class ApiTrace {
public:
    ApiTrace();
    ~ApiTrace();
    ApiTrace(const ApiTrace&) = delete;
    ApiTrace& operator=(const ApiTrace&) = delete;

    // "flush NAME" (FlushFileBuffers that succeeded), "rename NAME TARGET" (a rename by handle
    // that succeeded), "asked-posix-rename NAME" (a rename with POSIX semantics
    // asked for, whether Windows could do it or not), with file names only.
    const std::vector<std::string>& calls() const;
    // Whether every call it watches was found among this program's imports.
    bool watching() const;
};

}  // namespace zorvik::testing
