// A click on the settings window's icon-size slider, to the dock's pixels: a
// dock in this process with eight pinned programs and its settings window
// open, run by the program's own main loop. For each of five sizes never shown
// before (the icon cache emptied first), the time from the click to the dock's
// first presented frame, and to its last one (the icons drawn at the new size,
// when nothing more is presented for half a second); then the click back to
// the size shown before it.
//   dock_icon_size.exe
// The floor, timed in the same run: a bare present of the dock's band.
#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "BenchBarePresent.h"
#include "BenchDock.h"
#include "BenchTiming.h"
#include "app/MainLoop.h"
#include "config/Paths.h"
#include "dock/DockWindow.h"

namespace {

using bench::NowMs;
using bench::Percentile;

// Slider 1 maps x = 218 .. 638 dip onto 32 .. 72.
LPARAM SliderPoint(float scale, float iconSize) {
    const float x = 218.0f + 10.5f * (iconSize - 32.0f);
    return MAKELPARAM(static_cast<int>(std::lround(x * scale)), static_cast<int>(std::lround(148.0f * scale)));
}

struct ClickFigures {
    double toPixels = -1;     // the dock's first present after the click
    double toLastFrame = -1;  // its last one
};

// Runs on a thread of its own while the main loop runs the dock: the click is
// posted as the pointer's would be, and only the dock's present count is read.
ClickFigures ClickSize(HWND settings, float scale, const comp::DesktopWindowTarget& target, float iconSize) {
    ClickFigures figures;
    const int presents = target.PresentCount();
    const double clicked = NowMs();
    PostMessageW(settings, WM_LBUTTONDOWN, MK_LBUTTON, SliderPoint(scale, iconSize));
    PostMessageW(settings, WM_LBUTTONUP, 0, SliderPoint(scale, iconSize));
    int seen = presents;
    double last = clicked;
    while (NowMs() - clicked < 10000 && NowMs() - last < 500) {
        if (target.PresentCount() != seen) {
            seen = target.PresentCount();
            last = NowMs();
            if (figures.toPixels < 0) figures.toPixels = last - clicked;
        }
        Sleep(0);
    }
    if (seen != presents) figures.toLastFrame = last - clicked;
    return figures;
}

}  // namespace

int main() {
    OleInitialize(nullptr);
    // Every size starts unseen: no icon of this dock is in the cache.
    std::error_code ec;
    std::filesystem::remove_all(std::filesystem::path(GetCacheDirectory()) / L"iconcache", ec);
    const bench::DockFiles files = bench::WriteDockConfig(L"vantreel_icon_size_bench", 8);
    DockWindow& dock = *new DockWindow;  // ended by Shutdown; the process ends right after
    dock.configPathSource = [&] { return files.configPath; };
    if (!dock.Initialize(GetModuleHandleW(nullptr), true)) {
        std::printf("the dock did not start\n");
        return 1;
    }
    bench::LetDockSettle(dock);
    SendMessageW(dock.InputWindow(), WM_HOTKEY, 2, 0);
    bench::LetDockSettle(dock);
    HWND settings = dock.Settings().Window();
    if (!settings) {
        std::printf("the settings window did not open\n");
        return 1;
    }

    std::vector<double> newPixels, newLast, seenPixels;
    const float scale = dock.Settings().Scale();
    const float shown = dock.Config().iconSize;
    const DWORD loopThread = GetCurrentThreadId();
    std::thread clicks([&] {
        Sleep(1000);  // the loop runs and the dock rests
        for (float size : {56.0f, 62.0f, 66.0f, 70.0f, 40.0f}) {
            const ClickFigures fresh = ClickSize(settings, scale, dock.Composition().mainTarget, size);
            const ClickFigures back = ClickSize(settings, scale, dock.Composition().mainTarget, shown);
            std::printf("size %.0f (new): click to pixels %.1f ms, to the last frame %.1f ms; back to %.0f: %.1f ms\n",
                        static_cast<double>(size), fresh.toPixels, fresh.toLastFrame, static_cast<double>(shown),
                        back.toPixels);
            newPixels.push_back(fresh.toPixels);
            newLast.push_back(fresh.toLastFrame);
            seenPixels.push_back(back.toPixels);
        }
        PostThreadMessageW(loopThread, WM_QUIT, 0, 0);
    });
    FramePacer pacer;
    RunMainLoop(dock, pacer);
    clicks.join();

    RECT band = {};
    GetWindowRect(dock.VisualWindow(), &band);
    const double floor = bench::BarePresentMs(band.left, band.top, band.right - band.left, band.bottom - band.top);
    std::printf("first change to a new icon size, click to the dock's pixels: median %.1f ms, max %.1f ms\n",
                Percentile(newPixels, 0.5), Percentile(newPixels, 1.0));
    std::printf("  to the last frame of the change (icons drawn at the new size): median %.1f ms\n",
                Percentile(newLast, 0.5));
    std::printf("change to a size shown before, click to the dock's pixels: median %.1f ms\n",
                Percentile(seenPixels, 0.5));
    std::printf("baseline: a bare present of the band %.2f ms; ratio (new size) %.1f\n", floor,
                floor > 0 ? Percentile(newPixels, 0.5) / floor : 0.0);
    dock.Shutdown();
    return 0;
}
