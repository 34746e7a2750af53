#pragma once

#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <functional>
#include <utility>

// For the Windows start-up probes: once the top-level window has been painted and `alsoDone`
// holds, paints at once whatever of its controls still waits to be painted, then prints the
// moment on the performance counter (which every process shares) and the peak working set in
// KiB, and ends the process. The report is made from the end of that first paint itself.
namespace zorvik::bench {

namespace first_paint_detail {

inline std::function<bool()>& alsoDone() {
    static std::function<bool()> done;
    return done;
}

inline LRESULT CALLBACK afterWindowProc(int code, WPARAM wParam, LPARAM lParam) {
    const auto& call = *reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && call.message == WM_PAINT &&
        GetAncestor(call.hwnd, GA_ROOT) == call.hwnd && alsoDone()()) {
        RedrawWindow(call.hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        GdiFlush();
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        PROCESS_MEMORY_COUNTERS memory{};
        memory.cb = sizeof memory;
        GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
        std::printf("%lld %llu\n", static_cast<long long>(now.QuadPart),
                    static_cast<unsigned long long>(memory.PeakWorkingSetSize / 1024));
        std::fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 0);  // what follows start-up is not measured
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace first_paint_detail

// Call before the window is created.
inline void reportFirstPaint(std::function<bool()> alsoDone = [] { return true; }) {
    first_paint_detail::alsoDone() = std::move(alsoDone);
    SetWindowsHookExW(WH_CALLWNDPROCRET, first_paint_detail::afterWindowProc, nullptr,
                      GetCurrentThreadId());
}

}  // namespace zorvik::bench
