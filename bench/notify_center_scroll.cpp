// The notification center's scrolling cost: 500 toasts in process, presented,
// at scale 1 and 1.5, 250 wheel notches down then 250 up. Prints per frame
// the median and p95 wall time of the whole notch, split into paint and
// compose+present (as the window's target measured its last present), the
// medians of the notches down (each shows a card not seen before) and up,
// the UI thread's CPU per frame from GetThreadTimes over all notches (its
// clock moves in 10 ms steps under Wine, too coarse for single frames), and
// the time from ShowCenter to the first present (targets: under 2 ms a frame
// at scale 1, under 50 ms to the first frame). Text is drawn once before, as
// the running program's bar has done long before its center opens.
// Its baseline, timed between the notches of the same run: the bare present
// of a layered window of the center's size with nothing redrawn; a scroll
// frame should cost at most 1.3 times that (median against median).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchDevice.h"
#include "BenchPresentFloor.h"
#include "BenchTiming.h"
#include "notify/NotificationCenterWindow.h"

namespace {

double ThreadCpuMs() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](FILETIME t) {
        return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

// The device and the font drawn once, as the bar draws them at start-up.
void WarmUp(GraphicsDevice& graphics, CompositionHost& host) {
    auto surface = host.CreateDrawingSurface(200, 40);
    Microsoft::WRL::ComPtr<IDWriteTextFormat> format;
    graphics.dwriteFactory->CreateTextFormat(L"Microsoft YaHei UI", nullptr, DWRITE_FONT_WEIGHT_SEMI_BOLD,
                                             DWRITE_FONT_STYLE_NORMAL, DWRITE_FONT_STRETCH_NORMAL, 13.0f, L"zh-CN",
                                             &format);
    host.Paint(surface, [&](ID2D1DeviceContext* context) {
        Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> brush;
        context->CreateSolidColorBrush(D2D1::ColorF(1, 1, 1, 1), &brush);
        context->DrawText(L"12月9日 周三 11:56", 15, format.Get(), D2D1::RectF(0, 0, 200, 40), brush.Get());
        context->FillRoundedRectangle(D2D1::RoundedRect(D2D1::RectF(0, 0, 40, 20), 6, 6), brush.Get());
    });
}

}  // namespace

int main() {
    bench::Device device;
    GraphicsDevice& graphics = device.graphics;
    CompositionHost& host = device.host;
    if (!device.Start("notify_center_scroll")) return 1;
    WarmUp(graphics, host);
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
        center.system.foregroundWindow = [&] { return center.panel.window; };
        const double showStart = bench::NowMs();
        center.ShowCenter(nullptr, config, scale, items, false);
        const double firstFrame = bench::NowMs() - showStart;
        if (!center.panel.visible) {
            std::printf("notify_center_scroll: the center did not open\n");
            return 1;
        }
        RECT centerRect = {};
        GetWindowRect(center.panel.window, &centerRect);
        bench::PresentFloor floor({0, centerRect.top},
                                  {centerRect.right - centerRect.left, centerRect.bottom - centerRect.top});
        std::vector<double> frame, paint, present, down, up, bare;
        double floorMs = 0.0;
        const double cpuStart = ThreadCpuMs();
        for (int notch = 0; notch < 500; ++notch) {
            const int delta = notch < 250 ? -WHEEL_DELTA : WHEEL_DELTA;
            const int presents = center.panel.target.PresentCount();
            const double start = bench::NowMs();
            SendMessageW(center.panel.window, WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(100, 100));
            const double took = bench::NowMs() - start;
            const double composed = center.panel.target.PresentCount() != presents
                                        ? center.panel.target.LastComposeMs() + center.panel.target.LastPresentMs()
                                        : 0.0;
            frame.push_back(took);
            present.push_back(composed);
            paint.push_back(std::max(0.0, took - composed));
            (notch < 250 ? down : up).push_back(took);
            const double cpuBefore = ThreadCpuMs();
            bare.push_back(floor.TimePresent());
            floorMs += ThreadCpuMs() - cpuBefore;
            // What the thread does between notches (the cards next to those
            // shown are painted then) is not part of a frame.
            bench::Pump();
        }
        const double cpuPerFrame = (ThreadCpuMs() - cpuStart - floorMs) / 500.0;
        std::printf(
            "notify_center_scroll: scale %.1f, %d rows: frame median %.3f ms p95 %.3f ms (down %.3f, up %.3f); "
            "paint median %.3f ms p95 %.3f ms; compose+present median %.3f ms p95 %.3f ms; UI-thread CPU "
            "%.3f ms/frame; first frame %.1f ms\n",
            scale, center.panel.visibleRows, bench::Percentile(frame, 0.5), bench::Percentile(frame, 0.95),
            bench::Percentile(down, 0.5), bench::Percentile(up, 0.5), bench::Percentile(paint, 0.5),
            bench::Percentile(paint, 0.95), bench::Percentile(present, 0.5), bench::Percentile(present, 0.95),
            cpuPerFrame, firstFrame);
        const double frameMedian = bench::Percentile(frame, 0.5);
        const double bareMedian = bench::Percentile(bare, 0.5);
        std::printf(
            "notify_center_scroll: scale %.1f: scroll frame median %.3f ms, bare present of a %ldx%ld window "
            "median %.3f ms (baseline), ratio %.2f (target <= 1.30)\n",
            scale, frameMedian, centerRect.right - centerRect.left, centerRect.bottom - centerRect.top, bareMedian,
            bareMedian > 0 ? frameMedian / bareMedian : 0.0);
        center.Shutdown();
    }
    return 0;
}
