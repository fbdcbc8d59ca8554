// Composes and presents a dock-like band (1920 x 210: a blurred, saturated
// backdrop, a tint, a nine-grid rim and 16 icon sprites) while the icons move
// every frame, and prints the median milliseconds per frame for composing and
// for presenting.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "render/CompositionEffects.h"
#include "render/CompositionHost.h"
#include "render/comp/EffectSourceParameter.h"

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

}  // namespace

int main() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VantreelCompositorBench";
    RegisterClassW(&wc);
    HWND band = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"", WS_POPUP, 0, 870, 1920,
                                210, nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(band, SW_SHOWNOACTIVATE);

    GraphicsDevice graphics;
    CompositionHost host;
    if (!CreateGraphicsFactories(graphics) || !graphics.Create() || !host.Initialize(band, graphics)) {
        std::printf("compositor_bench: no graphics device\n");
        return 1;
    }
    comp::Compositor& compositor = host.compositor;

    auto glass = compositor.CreateContainerVisual();
    glass.Offset({400, 100, 0});
    glass.Size({1120, 90});
    auto parameter = comp::CompositionEffectSourceParameter(L"backdrop");
    auto blur = GaussianBlurEffect::Make(AsEffectSource(SaturationEffect::Make(parameter, 1.48f)), 4.5f);
    auto blurBrush = compositor.CreateEffectFactory(blur.Get()).CreateBrush();
    blurBrush.SetSourceParameter(L"backdrop", compositor.CreateHostBackdropBrush());
    auto backdrop = compositor.CreateSpriteVisual();
    backdrop.RelativeSizeAdjustment({1, 1});
    backdrop.Brush(blurBrush);
    auto tint = compositor.CreateSpriteVisual();
    tint.RelativeSizeAdjustment({1, 1});
    tint.Brush(compositor.CreateColorBrush({40, 10, 14, 22}));
    auto rimSurface = host.CreateDrawingSurface(60, 60);
    float size = 60, stroke = 10, radius = 18;
    host.PaintRoundedMaskTexture(rimSurface, 60, 60, size, stroke, radius);
    auto rimBrush = compositor.CreateNineGridBrush();
    rimBrush.Source(compositor.CreateSurfaceBrush(rimSurface));
    rimBrush.SetInsets(24);
    auto rim = compositor.CreateSpriteVisual();
    rim.RelativeSizeAdjustment({1, 1});
    rim.Brush(rimBrush);
    glass.Children().InsertAtTop(backdrop);
    glass.Children().InsertAtTop(tint);
    glass.Children().InsertAtTop(rim);
    host.mainRoot.Children().InsertAtTop(glass);

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

    std::vector<double> compose, present;
    for (int frame = 0; frame < 300; ++frame) {
        for (int i = 0; i < 16; ++i) {
            float wave = 12.0f * std::sin(0.15f * frame + 0.5f * i);
            icons[i].Offset({420.0f + 68.0f * i, 110.0f + wave, 0});
        }
        compositor.Commit();
        compose.push_back(host.mainTarget.LastComposeMs());
        present.push_back(host.mainTarget.LastPresentMs());
    }
    std::printf("compositor_bench: 1920x210 band, 16 moving icons, 300 frames\n");
    std::printf("compose  median %.3f ms per frame\n", Median(compose));
    std::printf("present  median %.3f ms per frame\n", Median(present));
    std::printf("total    median %.3f ms per frame\n", Median(compose) + Median(present));
    DestroyWindow(band);
    CoUninitialize();
    return 0;
}
