// Composes and presents the dock's real glass (blurred, saturated backdrop, the
// refracted lens rim masked by its nine-grid, tint, sheen, shadow and rim under
// a rounded clip) in a 1920 x 210 band with 16 icon sprites that move every
// frame, and prints compose and present milliseconds per frame (median, p95).
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "render/CompositionHost.h"
#include "render/GlassLayer.h"
#include "render/raster/PixelCount.h"

namespace {

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t index = static_cast<size_t>(fraction * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VantreelCompositorBench";
    RegisterClassW(&wc);
    HWND band = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"", WS_POPUP, 0, 870, 1920, 210,
                                nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(band, SW_SHOWNOACTIVATE);

    GraphicsDevice graphics;
    CompositionHost host;
    if (!CreateGraphicsFactories(graphics) || !graphics.Create() || !host.Initialize(band, graphics)) {
        std::printf("compositor_bench: no graphics device\n");
        return 1;
    }
    comp::Compositor& compositor = host.compositor;

    GlassLayer glass;
    glass.Initialize(host, 13.0f, GlassStyle::Dock);
    glass.UpdateTint(kGlassThemeSystem, 0.62f, 1.0f);
    glass.SetBounds(400, 100, 1120, 90, 22);
    host.mainRoot.Children().InsertAtTop(glass.root);

    std::vector<comp::SpriteVisual> icons;
    for (int i = 0; i < 16; ++i) {
        auto surface = host.CreateDrawingSurface(64, 64);
        host.Paint(surface, [i](ID2D1DeviceContext* context) {
            Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> brush;
            context->CreateSolidColorBrush(D2D1::ColorF(0.2f + 0.05f * i, 0.5f, 0.9f - 0.05f * i, 1), &brush);
            context->FillRoundedRectangle(D2D1::RoundedRect(D2D1::RectF(4, 4, 60, 60), 14, 14), brush.Get());
        });
        auto icon = compositor.CreateSpriteVisual();
        icon.Brush(compositor.CreateSurfaceBrush(surface));
        icon.Size({64, 64});
        host.mainRoot.Children().InsertAtTop(icon);
        icons.push_back(icon);
    }
    compositor.Commit();  // first frame: loads and filters the backdrop

    // The thread's own processor time over all frames: steadier than the
    // wall clock on a busy machine (it moves in coarse steps, so only the
    // mean over many frames is printed).
    auto threadMs = [] {
        FILETIME created, exited, kernel, user;
        GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
        auto ms = [](FILETIME t) {
            const unsigned long long ticks =
                (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
            return static_cast<double>(ticks) / 1.0e4;
        };
        return ms(kernel) + ms(user);
    };
    const double cpuBefore = threadMs();
    std::vector<double> compose, present, composed;
    for (int frame = 0; frame < 300; ++frame) {
        for (int i = 0; i < 16; ++i) {
            float wave = 12.0f * std::sin(0.15f * frame + 0.5f * i);
            icons[i].Offset({420.0f + 68.0f * i, 110.0f + wave, 0});
        }
        compositor.Commit();
        compose.push_back(host.mainTarget.LastComposeMs());
        present.push_back(host.mainTarget.LastPresentMs());
        composed.push_back(static_cast<double>(host.mainTarget.LastDamagePixels()));
    }
    const double cpuPerFrame = (threadMs() - cpuBefore) / 300.0;
    std::printf("compositor_bench: dock glass (lens, rounded clip) in a 1920x210 band, 16 moving icons, 300 frames\n");
    std::printf("compose  median %.3f ms  p95 %.3f ms per frame\n", Percentile(compose, 0.5),
                Percentile(compose, 0.95));
    std::printf("present  median %.3f ms  p95 %.3f ms per frame\n", Percentile(present, 0.5),
                Percentile(present, 0.95));
    std::printf("composed  median %.0f pixels per frame\n", Percentile(composed, 0.5));
    std::printf("UI thread processor time, mean %.3f ms per frame (compose and present)\n", cpuPerFrame);

    // As under a hover sweep: the glass itself widens by fractions of a pixel
    // every frame while the icons move.
    std::vector<double> growingCompose, growingPresent, growingComposed;
    for (int frame = 0; frame < 300; ++frame) {
        const float grow = 40.0f * std::sin(0.02f * frame);
        glass.SetBounds(400 - grow, 100, 1120 + 2 * grow, 90, 22);
        for (int i = 0; i < 16; ++i) {
            float wave = 12.0f * std::sin(0.15f * frame + 0.5f * i);
            icons[i].Offset({420.0f + 68.0f * i, 110.0f + wave, 0});
        }
        compositor.Commit();
        growingCompose.push_back(host.mainTarget.LastComposeMs());
        growingPresent.push_back(host.mainTarget.LastPresentMs());
        growingComposed.push_back(static_cast<double>(host.mainTarget.LastDamagePixels()));
    }
    std::printf("glass widening every frame as well, 300 frames:\n");
    std::printf("compose  median %.3f ms  p95 %.3f ms per frame\n", Percentile(growingCompose, 0.5),
                Percentile(growingCompose, 0.95));
    std::printf("present  median %.3f ms  p95 %.3f ms per frame\n", Percentile(growingPresent, 0.5),
                Percentile(growingPresent, 0.95));
    std::printf("composed  median %.0f pixels per frame\n", Percentile(growingComposed, 0.5));
    std::printf("backdrop pixels held: %.1f MB\n", static_cast<double>(compositor.Backdrop().PixelBytes()) / 1048576.0);
    std::printf("our pixel buffers: %.1f MB while animating",
                static_cast<double>(raster::PixelBytesHeld()) / 1048576.0);
    compositor.ReleaseScratch();
    std::printf(", %.1f MB once idle\n", static_cast<double>(raster::PixelBytesHeld()) / 1048576.0);
    DestroyWindow(band);
    CoUninitialize();
    return 0;
}
