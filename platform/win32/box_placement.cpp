#include "platform/win32/box_placement.h"

#include <algorithm>
#include <utility>

namespace zorvik::win32 {

namespace {

LONG placed(LONG size, LONG ownerFrom, LONG ownerTo, LONG workFrom, LONG workTo) {
    const LONG centred = ownerFrom + (ownerTo - ownerFrom - size) / 2;
    return std::max(workFrom, std::min(centred, workTo - size));
}

// The owner of the box the hook waits for; nullptr once it is placed. One per thread, as the hook.
thread_local HWND waitingOwner = nullptr;
thread_local bool waiting = false;

LRESULT CALLBACK placeWhenActivated(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && waiting) {
        const auto box = reinterpret_cast<HWND>(wParam);
        wchar_t kind[16] = {};
        GetClassNameW(box, kind, 16);
        if (lstrcmpW(kind, L"#32770") == 0) {
            waiting = false;
            placeOverOwner(box, waitingOwner);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

POINT placeOverOwner(SIZE box, const RECT& owner, const RECT& workArea) {
    return {placed(box.cx, owner.left, owner.right, workArea.left, workArea.right),
            placed(box.cy, owner.top, owner.bottom, workArea.top, workArea.bottom)};
}

void placeOverOwner(HWND box, HWND owner) {
    const bool owned = owner != nullptr && IsWindow(owner);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!GetMonitorInfoW(MonitorFromWindow(owned ? owner : box, MONITOR_DEFAULTTONEAREST),
                         &monitor)) {
        return;
    }
    RECT boxRect{};
    RECT ownerRect = monitor.rcWork;
    if (!GetWindowRect(box, &boxRect) || (owned && !GetWindowRect(owner, &ownerRect))) {
        return;
    }
    const POINT at = placeOverOwner({boxRect.right - boxRect.left, boxRect.bottom - boxRect.top},
                                    ownerRect, monitor.rcWork);
    SetWindowPos(box, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

NextBoxPlacedOverOwner::NextBoxPlacedOverOwner(HWND owner)
    : hook_(SetWindowsHookExW(WH_CBT, placeWhenActivated, nullptr, GetCurrentThreadId())),
      previousOwner_(std::exchange(waitingOwner, owner)),
      previousWaiting_(std::exchange(waiting, true)) {}

NextBoxPlacedOverOwner::~NextBoxPlacedOverOwner() {
    if (hook_ != nullptr) {
        UnhookWindowsHookEx(hook_);
    }
    waitingOwner = previousOwner_;
    waiting = previousWaiting_;
}

}  // namespace zorvik::win32
