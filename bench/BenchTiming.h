#pragma once
// The clock, message pump and percentile the in-process benchmarks share.

#include <windows.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace bench {

inline double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// A wait on what a program does: its bound only guards against one that never
// comes, so none is shorter than kLeastWaitMs, as in the end-to-end tests.
constexpr double kLeastWaitMs = 15000;
inline bool WaitFor(const std::function<bool()>& done, double timeoutMs = kLeastWaitMs, DWORD pollMs = 1) {
    const double end = NowMs() + std::max(timeoutMs, kLeastWaitMs);
    while (!done()) {
        if (NowMs() >= end) return false;
        Sleep(pollMs);
    }
    return true;
}

// Handles what is queued for this thread's windows.
inline void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// The value below which the fraction p of the samples lie (nearest rank).
inline double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    size_t index = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

}  // namespace bench
