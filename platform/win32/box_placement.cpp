#include "platform/win32/box_placement.h"

#include <algorithm>
#include <utility>

#include "platform/text_breaks.h"
#include "platform/win32/running_under_wine.h"
#include "platform/win32/wide_text.h"

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

std::wstring brokenForTheScreen(std::string_view message) {
    // "\n" alone: Wine's task dialog takes "\r\n" for two lines
    return toWideLossy(text::brokenForABox(message));
}

std::wstring forTaskDialog(std::string_view message) {
    const std::wstring text = brokenForTheScreen(message);
    if (!runningUnderWine()) {
        return text;
    }
    // Wine's task dialog cuts the end of its widest line: the lines are broken here, short enough
    // for its width, each ending in two no-break spaces for it to cut instead
    constexpr std::size_t kLine = 48;
    constexpr std::wstring_view kSpare = L"\u00a0\u00a0";
    std::wstring shown;
    std::size_t lineLength = 0;
    std::wstring word;
    const auto endLine = [&] {
        shown += kSpare;
        shown += L'\n';
        lineLength = 0;
    };
    const auto addWord = [&] {
        if (lineLength > 0 && lineLength + 1 + word.size() > kLine) {
            endLine();
        } else if (lineLength > 0) {
            shown += L' ';
            ++lineLength;
        }
        shown += word;
        lineLength += word.size();
        word.clear();
    };
    for (const wchar_t c : text) {
        if (c == L'\r') {
            continue;
        }
        if (c == L' ' || c == L'\n') {
            addWord();
            if (c == L'\n') {
                endLine();
            }
            continue;
        }
        word += c;
    }
    addWord();
    shown += kSpare;
    return shown;
}

UINT taskDialogWidth() {
    return runningUnderWine() ? 280 : 0;
}

POINT placeOverOwner(SIZE box, const RECT& owner, const RECT& workArea) {
    return {placed(box.cx, owner.left, owner.right, workArea.left, workArea.right),
            placed(box.cy, owner.top, owner.bottom, workArea.top, workArea.bottom)};
}

namespace {

void moveOverOwner(HWND box, HWND owner) {
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

// A window manager (Wine's X11 one, say) may place a dialog of its own accord once it maps it,
// after the program has: a moment later the box is put back over its owner, once.
constexpr UINT_PTR kPlaceAgainTimer = 0x5A0E;
constexpr UINT kPlaceAgainAfterMs = 150;

void CALLBACK placeAgain(HWND box, UINT, UINT_PTR timer, DWORD) {
    KillTimer(box, timer);
    moveOverOwner(box, GetWindow(box, GW_OWNER));
}

}  // namespace

void placeOverOwner(HWND box, HWND owner) {
    moveOverOwner(box, owner);
    SetTimer(box, kPlaceAgainTimer, kPlaceAgainAfterMs, placeAgain);
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
