#include "platform/win32/named_mutex_turn.h"

namespace zorvik::win32 {

NamedMutexTurn::NamedMutexTurn(const wchar_t* name, std::chrono::milliseconds patience)
    : mutex_(CreateMutexW(nullptr, FALSE, name)) {
    if (mutex_ == nullptr) {
        return;
    }
    const DWORD waited = WaitForSingleObject(mutex_, static_cast<DWORD>(patience.count()));
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    busy_ = waited == WAIT_TIMEOUT;
}

NamedMutexTurn::~NamedMutexTurn() {
    if (held_) {
        ReleaseMutex(mutex_);
    }
    if (mutex_ != nullptr) {
        CloseHandle(mutex_);
    }
}

}  // namespace zorvik::win32
