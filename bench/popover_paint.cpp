// The drop-down panel's paint per kind, dark glass, at scale 1 and 1.5: the
// panel drawn into an offscreen Direct2D target of its surface size (begin,
// paint, end; no read-back, no compose). Median and p95 of 100 runs, with the
// brushes and formats kept between paints and, for comparison, made anew for
// every paint.
#include <windows.h>
#include <objbase.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "BenchTiming.h"
#include "BenchWifiNetworks.h"
#include "render/GraphicsDevice.h"
#include "topbar/TopBarPopover.h"

using Microsoft::WRL::ComPtr;

namespace {

void FillRecords(TopBarPopover& popover) {
    popover.volume = 0.62f;
    popover.audioDevices = {{L"a", L"扬声器 (Realtek Audio)", true}, {L"b", L"耳机", false}, {L"c", L"显示器", false}};
    popover.wifi.adapterPresent = true;
    popover.wifi.radioOn = true;
    popover.wifi.networks = bench::NineWifiNetworks();
    popover.bluetooth = {true, true, {{L"耳机", true, true}, {L"键盘", false, true}}};
    popover.batteryPercent = 57;
    popover.batteryLifeSeconds = 7500;
    popover.brightness = {true, 70};
    popover.calendarYear = 2025;
    popover.calendarMonth = 10;
    popover.config.showLunarCalendar = true;
    for (int i = 0; i < 3; ++i) {
        TrayIconInfo app;
        app.key = L"c:\\apps\\tool" + std::to_wstring(i) + L".exe";
        app.exePath = app.key;
        app.displayName = L"tool" + std::to_wstring(i);
        popover.trayApps.push_back(app);
        std::vector<uint8_t> pixels(48 * 48 * 4, 0);
        for (size_t p = 0; p < pixels.size(); p += 4) pixels[p + 1] = pixels[p + 3] = 255;
        popover.trayIconCache[app.key] = pixels;
    }
    popover.config.hiddenTrayApps = {L"c:\\apps\\tool1.exe"};
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    GraphicsDevice graphics;
    ComPtr<ID2D1DeviceContext> context;
    if (!CreateGraphicsFactories(graphics) || !graphics.Create() ||
        FAILED(graphics.d2dDevice->CreateDeviceContext(D2D1_DEVICE_CONTEXT_OPTIONS_NONE, &context))) {
        std::printf("popover_paint: no graphics device\n");
        return 1;
    }
    TopBarPopover popover;
    popover.device = &graphics;
    FillRecords(popover);
    const struct {
        PopoverKind kind;
        const char* name;
    } kinds[] = {{PopoverKind::Sound, "sound"},           {PopoverKind::Wifi, "wifi"},
                 {PopoverKind::Bluetooth, "bluetooth"},   {PopoverKind::Battery, "battery"},
                 {PopoverKind::ControlCenter, "control"}, {PopoverKind::Calendar, "calendar"},
                 {PopoverKind::TrayApps, "tray"}};
    for (const float scale : {1.0f, 1.5f}) {
        popover.scale = scale;
        for (const auto& entry : kinds) {
            popover.kind = entry.kind;
            popover.UpdateSize();
            const UINT w = static_cast<UINT>(std::lround(popover.width * scale));
            const UINT h = static_cast<UINT>(std::lround(popover.height * scale));
            ComPtr<ID2D1Bitmap1> target;
            const auto props =
                D2D1::BitmapProperties1(D2D1_BITMAP_OPTIONS_TARGET,
                                        D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED));
            if (FAILED(context->CreateBitmap(D2D1::SizeU(w, h), nullptr, 0, props, &target))) continue;
            context->SetTarget(target.Get());
            double figures[2][2] = {};
            for (int fresh = 0; fresh < 2; ++fresh) {
                std::vector<double> runs;
                for (int i = 0; i < 100; ++i) {
                    if (fresh) popover.paintPalette.reset();
                    popover.hoverId = (i % 2) ? 0 : 501;  // hover changes as it does under the pointer
                    popover.hits.clear();
                    const double start = bench::NowMs();
                    context->BeginDraw();
                    context->SetTransform(D2D1::Matrix3x2F::Identity());
                    context->Clear(D2D1::ColorF(0, 0, 0, 0));
                    popover.Paint(context.Get(), true);
                    context->EndDraw();
                    runs.push_back(bench::NowMs() - start);
                }
                figures[fresh][0] = bench::Percentile(runs, 0.5);
                figures[fresh][1] = bench::Percentile(runs, 0.95);
            }
            context->SetTarget(nullptr);
            std::printf(
                "popover_paint: %-9s %ux%u scale %.1f: kept brushes and formats median %.3f ms p95 %.3f ms; "
                "made per paint median %.3f ms p95 %.3f ms\n",
                entry.name, w, h, static_cast<double>(scale), figures[0][0], figures[0][1], figures[1][0],
                figures[1][1]);
        }
    }
    CoUninitialize();
    return 0;
}
