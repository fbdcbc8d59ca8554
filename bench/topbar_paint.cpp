// The top bar's cost at 1920 x 32 (scale 1) and 1920 x 48 (scale 1.5) with
// six tray icons, median of 200 runs each:
//  - the whole bar painted afresh (kept pixels emptied, a new surface), with
//    compose and present;
//  - a hover moving between two items (two pieces put together again);
//  - a clock tick whose minute changed: the status tick, repaint, compose and
//    present, for a new minute (painted ahead by the tick before it, timed
//    too) and for a minute shown before;
//  - a status tick that finds nothing changed (and nothing to paint ahead).
// Beside them, in the same run, a bare UpdateLayeredWindow of the bar's size
// (the least the platform does to show the bar) and each tick's ratio to it;
// the target is a clock tick of at most 1.3 times the bare present.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "BenchBarePresent.h"
#include "BenchDevice.h"
#include "BenchTiming.h"
#include "BenchTopBar.h"
#include "render/MacMenuWindow.h"

using bench::NowMs;

namespace {

double Median(const std::vector<double>& values) { return bench::Percentile(values, 0.5); }

}  // namespace

int main() {
    bench::Device device;
    GraphicsDevice& graphics = device.graphics;
    CompositionHost& host = device.host;
    MacMenuWindow menu;
    if (!device.Start("topbar_paint")) return 1;
    vantreel::SystemStatusSnapshot status;
    status.clockText = L"12月9日 周二  07:12";
    status.hasBattery = true;
    status.bluetoothPresent = true;
    status.wifiConnected = true;
    std::vector<TrayIconInfo> tray(6);
    for (size_t i = 0; i < tray.size(); ++i) {
        tray[i].key = L"c:\\apps\\tool" + std::to_wstring(i) + L".exe";
        tray[i].displayName = L"tool" + std::to_wstring(i);
        tray[i].exePath = tray[i].key;
    }

    TopBarWindow bar;
    bench::StandInTopBarSystem(bar, status, tray);
    bar.system.loadFileIcon = [](const std::wstring&, IWICImagingFactory*, int edge) {
        std::vector<uint8_t> pixels(static_cast<size_t>(edge) * edge * 4, 0);
        for (size_t i = 0; i < pixels.size(); i += 4) pixels[i + 1] = pixels[i + 3] = 255;
        return pixels;
    };
    bar.Initialize(GetModuleHandleW(nullptr), graphics, host, menu, {});

    DockConfig config;
    config.theme = 1;
    for (float scale : {1.0f, 1.5f}) {
        bar.Apply(nullptr, config, scale);
        bar.Redraw();
        host.compositor.Commit();
        std::vector<double> fresh, hover;
        for (int i = 0; i < 200; ++i) {
            host.paintedPixels.Clear();
            bar.RecoverDevice();  // a new surface: the whole bar is put together
            const double start = NowMs();
            bar.Redraw();
            host.compositor.Commit();
            fresh.push_back(NowMs() - start);
        }
        for (int i = 0; i < 200; ++i) {
            bar.hoveredItemId = (i % 2) ? kTopBarSound : kTopBarNetwork;
            const double start = NowMs();
            bar.Redraw();
            host.compositor.Commit();
            hover.push_back(NowMs() - start);
        }
        bar.hoveredItemId = 0;
        // Each run a minute the bar has not shown yet, then two it keeps.
        auto tickTo = [&](const std::wstring& clock) {
            status.clockText = clock;
            bar.statusTickCount = 1;  // never a third tick: no worker request
            const double start = NowMs();
            bar.StatusTick();
            host.compositor.Commit();
            return NowMs() - start;
        };
        auto minute = [scale](int i) {
            wchar_t clock[64] = {};
            _snwprintf(clock, 63, L"12月9日 周二  %02d:%02d", 8 + (i / 60) + (scale > 1.0f ? 8 : 0), i % 60);
            return std::wstring(clock);
        };
        std::vector<double> newMinute, ahead, keptMinute, unchanged;
        for (int i = 0; i < 200; ++i) {
            // The second before: a tick with nothing new paints the coming minute ahead.
            bar.system.nextClockText = [&] { return minute(i); };
            ahead.push_back(tickTo(status.clockText));
            newMinute.push_back(tickTo(minute(i)));
        }
        bar.system.nextClockText = nullptr;
        for (int i = 0; i < 200; ++i)
            keptMinute.push_back(tickTo((i % 2) ? L"12月9日 周二  08:01" : L"12月9日 周二  08:02"));
        for (int i = 0; i < 200; ++i) unchanged.push_back(tickTo(status.clockText));
        const double bare = bench::BarePresentMs(0, 200, bar.surfaceWidth, bar.surfaceHeight, 200);
        const double tickNew = Median(newMinute), tickKept = Median(keptMinute);
        std::printf(
            "topbar_paint: %dx%d whole bar afresh %.3f ms; hover change %.3f ms; unchanged tick %.3f ms; "
            "unchanged tick painting the next minute ahead %.3f ms\n",
            bar.surfaceWidth, bar.surfaceHeight, Median(fresh), Median(hover), Median(unchanged), Median(ahead));
        std::printf(
            "topbar_paint: %dx%d clock tick (repaint+compose+present): new minute %.3f ms, kept minute %.3f ms; "
            "bare UpdateLayeredWindow %.3f ms; ratio %.2f (new) %.2f (kept), target <= 1.30\n",
            bar.surfaceWidth, bar.surfaceHeight, tickNew, tickKept, bare, bare > 0 ? tickNew / bare : 0.0,
            bare > 0 ? tickKept / bare : 0.0);
    }
    bar.Shutdown();
    return 0;
}
