#pragma once

#include <windows.h>

#include <chrono>

namespace zorvik::win32 {

// A turn among the running instances of this program at something that must not interleave,
// taken on a named mutex of the session and released with this object. An instance that died
// during its turn passes it on (the next one finds what it left). Where the mutex cannot be
// made at all, the caller goes on without a turn, as it would on its own.
class NamedMutexTurn {
public:
    NamedMutexTurn(const wchar_t* name, std::chrono::milliseconds patience);
    ~NamedMutexTurn();
    NamedMutexTurn(const NamedMutexTurn&) = delete;
    NamedMutexTurn& operator=(const NamedMutexTurn&) = delete;

    // Another instance still had its turn at the end of the patience.
    bool busy() const { return busy_; }

private:
    HANDLE mutex_;
    bool held_ = false;
    bool busy_ = false;
};

}  // namespace zorvik::win32
