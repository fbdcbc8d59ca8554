// A click on the top bar's "前往" to its glass menu on screen: in process,
// with the real bar window and the real menu, from WM_LBUTTONUP on the item to
// the menu window's first present, Escape after each. Prints the median of 50
// (target: under 30 ms) and the first one.
#include <windows.h>

#include <cstdio>
#include <vector>

#include "BenchDevice.h"
#include "BenchTopBar.h"
#include "BenchTiming.h"
#include "render/MacMenuWindow.h"

using bench::NowMs;

namespace {

MacMenuWindow* g_menu = nullptr;
int g_presentsBefore = 0;
double g_presentedAt = 0.0;

int MenuPresents() { return g_menu->Target() ? g_menu->Target().PresentCount() : 0; }

// Each message the menu's loop takes: after the compositor's commit the
// menu's present count tells whether its first frame is out. A WM_NULL posted
// behind every message makes the next look come right after that message.
LRESULT CALLBACK WatchMenuLoop(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION && wParam == PM_REMOVE && g_menu->IsOpen() && g_presentedAt == 0.0) {
        if (MenuPresents() > g_presentsBefore) {
            g_presentedAt = NowMs();
            PostMessageW(g_menu->Window(), WM_KEYDOWN, VK_ESCAPE, 0);
        } else {
            const auto* msg = reinterpret_cast<const MSG*>(lParam);
            if (msg->message != WM_NULL) PostMessageW(g_menu->Window(), WM_NULL, 0, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

int main() {
    bench::Device device;
    GraphicsDevice& graphics = device.graphics;
    CompositionHost& host = device.host;
    MacMenuWindow menu;
    if (!device.Start("topbar_click")) return 1;
    menu.Initialize(GetModuleHandleW(nullptr), graphics, host);
    g_menu = &menu;

    vantreel::SystemStatusSnapshot status;
    status.clockText = L"12月9日 周二  07:12";
    TopBarWindow bar;
    const std::vector<TrayIconInfo> noTray;
    bench::StandInTopBarSystem(bar, status, noTray);
    bar.Initialize(GetModuleHandleW(nullptr), graphics, host, menu, {});
    DockConfig config;
    config.theme = 1;
    bar.Apply(nullptr, config, 1.0f);
    host.compositor.Commit();
    bench::Pump();

    LPARAM goMenu = 0;
    for (const auto& item : bar.items) {
        if (item.id == kTopBarGoMenu) goMenu = MAKELPARAM(static_cast<int>((item.left + item.right) / 2), 16);
    }
    HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, WatchMenuLoop, nullptr, GetCurrentThreadId());
    std::vector<double> later;
    double first = -1.0;
    for (int i = 0; i < 51; ++i) {
        g_presentsBefore = MenuPresents();
        g_presentedAt = 0.0;
        const double start = NowMs();
        SendMessageW(bar.Window(), WM_LBUTTONUP, 0, goMenu);
        if (g_presentedAt == 0.0) {
            std::printf("menu %d was not presented\n", i + 1);
            continue;
        }
        const double took = g_presentedAt - start;
        if (i == 0) {
            first = took;
        } else {
            later.push_back(took);
        }
        bench::Pump();
    }
    UnhookWindowsHookEx(hook);
    std::printf(
        "topbar_click: WM_LBUTTONUP on the go menu to its first present: first %.1f ms, "
        "median of %llu later %.1f ms (target 30), p95 %.1f ms\n",
        first, static_cast<unsigned long long>(later.size()), bench::Percentile(later, 0.5),
        bench::Percentile(later, 0.95));
    bar.Shutdown();
    return 0;
}
