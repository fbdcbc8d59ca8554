// The notification center's scrolling cost: 500 toasts in process, presented,
// at scale 1 and 1.5, 250 wheel notches down then 250 up. Prints per frame the
// median and p95 wall time of paint and of the whole notch (paint, compose
// and present), the UI thread's CPU per frame from GetThreadTimes over all
// notches (its clock is too coarse for single frames), and the time from
// ShowCenter to the first present (targets: under 2 ms a frame at scale 1,
// under 50 ms to the first frame).
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "notify/NotificationCenterWindow.h"
#include "render/CompositionHost.h"
#include "render/GraphicsDevice.h"

namespace {

double Percentile(std::vector<double> values, double share) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, static_cast<size_t>(share * static_cast<double>(values.size())))];
}

double NowMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double ThreadCpuMs() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](FILETIME t) {
        return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HWND hostWindow = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    GraphicsDevice graphics;
    CompositionHost host;
    if (!CreateGraphicsFactories(graphics) || !graphics.Create() || !host.Initialize(hostWindow, graphics)) {
        std::printf("notify_center_scroll: no graphics device\n");
        return 1;
    }
    std::vector<NotificationItem> items(500);
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    const uint64_t nowValue = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    for (size_t i = 0; i < items.size(); ++i) {
        items[i].id = static_cast<int64_t>(1000 - i);
        items[i].arrivalTime = nowValue - static_cast<uint64_t>(i) * 600000000ull;
        items[i].appName = L"应用 " + std::to_wstring(i % 17);
        items[i].title = L"第 " + std::to_wstring(i) + L" 条通知的标题";
        items[i].body = L"正文第一行，说明这条通知的内容。\n第二行更多的文字，可能会被截断。";
    }

    DockConfig config;
    config.theme = 1;
    for (float scale : {1.0f, 1.5f}) {
        NotificationCenterWindow center;
        center.instance = GetModuleHandleW(nullptr);
        center.device = &graphics;
        center.host = &host;
        center.system.foregroundWindow = [&] { return center.centerWindow; };
        const double showStart = NowMs();
        center.ShowCenter(nullptr, config, scale, items, false);
        const double firstFrame = NowMs() - showStart;
        if (!center.centerVisible) {
            std::printf("notify_center_scroll: the center did not open\n");
            return 1;
        }
        std::vector<double> frame, paint;
        const double cpuStart = ThreadCpuMs();
        for (int notch = 0; notch < 500; ++notch) {
            const int delta = notch < 250 ? -WHEEL_DELTA : WHEEL_DELTA;
            const double start = NowMs();
            SendMessageW(center.centerWindow, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(100, 100));
            frame.push_back(NowMs() - start);
        }
        const double cpuPerFrame = (ThreadCpuMs() - cpuStart) / 500.0;
        for (int i = 0; i < 200; ++i) {
            const double start = NowMs();
            host.Paint(center.centerSurface, [&](ID2D1DeviceContext* context) { center.PaintCenter(context, now); });
            paint.push_back(NowMs() - start);
        }
        std::printf("notify_center_scroll: scale %.1f, %d rows: frame median %.3f ms p95 %.3f ms; paint median %.3f ms "
                    "p95 %.3f ms; compose+present median %.3f ms; UI-thread CPU %.3f ms/frame; first frame %.1f ms\n",
                    scale, center.visibleRows, Percentile(frame, 0.5), Percentile(frame, 0.95),
                    Percentile(paint, 0.5), Percentile(paint, 0.95),
                    std::max(0.0, Percentile(frame, 0.5) - Percentile(paint, 0.5)), cpuPerFrame, firstFrame);
        center.Shutdown();
    }
    DestroyWindow(hostWindow);
    CoUninitialize();
    return 0;
}
