#include "render/CompositionHost.h"
#include "platform/ExceptionGuard.h"

#include <dwmapi.h>

#include <algorithm>
#include <new>
#include <vector>

#include "platform/Log.h"
#include "render/GradientPixels.h"

namespace {

constexpr DWORD kUseHostBackdropBrush = 17;  // DWMWA_USE_HOSTBACKDROPBRUSH
constexpr HRESULT kDeviceRemoved = static_cast<HRESULT>(0x887A0005);
constexpr HRESULT kDeviceReset = static_cast<HRESULT>(0x887A0007);
constexpr HRESULT kRecreateTarget = static_cast<HRESULT>(0x8899000C);

struct AccentPolicy {
    int accentState;
    int accentFlags;
    int gradientColor;
    int animationId;
};

struct WindowCompositionAttributeData {
    int attribute;
    void* data;
    SIZE_T size;
};

using SetWindowCompositionAttributeFn = BOOL(WINAPI*)(HWND, WindowCompositionAttributeData*);

struct Stop {
    float position;
    D2D1_COLOR_F color;
};

D2D1_COLOR_F White(float alpha) { return {1.0f, 1.0f, 1.0f, alpha}; }

// A vertical gradient from (0, 0) to (0, length) over a 16-pixel-wide strip,
// built as pixels so that its translucent parts stay premultiplied.
raster::Image VerticalGradient(float length, const std::vector<Stop>& stops) {
    std::vector<GradientStop> pixelStops;
    for (const auto& stop : stops) {
        pixelStops.push_back({stop.position, stop.color.r, stop.color.g, stop.color.b, stop.color.a});
    }
    return VerticalGradientImage(16, static_cast<int>(length), length, pixelStops);
}

}  // namespace

void EnableHostBackdropForHwnd(HWND hwnd) {
    if (!hwnd) return;
    BOOL enable = TRUE;
    HRESULT dwmHr = DwmSetWindowAttribute(hwnd, kUseHostBackdropBrush, &enable, sizeof(enable));
    if (SUCCEEDED(dwmHr)) {
        LogMessage(L"EnableHostBackdropForHwnd(hwnd=%p): DWMWA_USE_HOSTBACKDROPBRUSH succeeded", hwnd);
        return;
    }
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    if (!user32) return;
    auto setAttribute = reinterpret_cast<SetWindowCompositionAttributeFn>(
        reinterpret_cast<void*>(GetProcAddress(user32, "SetWindowCompositionAttribute")));
    if (!setAttribute) return;
    AccentPolicy accent = {5, 0, 0, 0};
    WindowCompositionAttributeData data = {19, &accent, sizeof(accent)};
    BOOL ok = setAttribute(hwnd, &data);
    LogMessage(L"EnableHostBackdropForHwnd(hwnd=%p): WCA fallback ok=%d (dwmHr=0x%08X)", hwnd, ok ? 1 : 0,
               static_cast<unsigned>(dwmHr));
}

void CompositionHost::MakeMainTarget(HWND hwnd) {
    // Our compositor belongs to the thread that makes it and runs its
    // commits through that thread's message queue, so it needs no
    // dispatcher queue of its own.
    EnableHostBackdropForHwnd(hwnd);
    // An owner may make the compositor first, to prepare its backdrop
    // while the device is being created.
    if (!compositor) compositor = comp::Compositor();
    mainTarget = compositor.CreateDesktopWindowTarget(hwnd, true);
    mainRoot = compositor.CreateContainerVisual();
    mainRoot.RelativeSizeAdjustment({1.0f, 1.0f});
    mainTarget.Root(mainRoot);
}

bool CompositionHost::PrepareWindow(HWND hwnd) {
    try {
        MakeMainTarget(hwnd);
        // Fresh memory is slow to touch on some machines, and the window's
        // own surface is made at its first present: both are done here,
        // beside the device, instead of on the way to the first frame.
        return mainTarget.PrepareBuffer();
    } catch (...) {
        platform::LogCaughtException(L"CompositionHost::PrepareWindow");
    }
    mainTarget = nullptr;
    mainRoot = nullptr;
    return false;
}

bool CompositionHost::Initialize(HWND hwnd, GraphicsDevice& graphics) {
    try {
        if (!mainTarget || mainTarget.Window() != hwnd) MakeMainTarget(hwnd);
        graphicsDevice = compositor.CreateGraphicsDevice(graphics.d2dDevice.Get());
        return true;
    } catch (...) {
        platform::LogCaughtException(L"CompositionHost::Initialize");
    }
    return false;
}

void CompositionHost::SetRenderingDevice(GraphicsDevice& graphics) {
    // What the lost device painted is not trusted again.
    paintedPixels.Clear();
    if (!graphicsDevice) return;
    try {
        graphicsDevice.SetRenderingDevice(graphics.d2dDevice.Get());
    } catch (...) {
        platform::LogCaughtException(L"CompositionHost::SetRenderingDevice");
    }
}

comp::DesktopWindowTarget CompositionHost::CreateWindowTarget(HWND hwnd) {
    if (!compositor || !hwnd) return nullptr;
    try {
        EnableHostBackdropForHwnd(hwnd);
        return compositor.CreateDesktopWindowTarget(hwnd, true);
    } catch (...) {
        platform::LogCaughtException(L"CompositionHost::CreateWindowTarget");
    }
    return nullptr;
}

comp::CompositionDrawingSurface CompositionHost::CreateDrawingSurface(int width, int height) {
    if (!graphicsDevice) return nullptr;
    try {
        return graphicsDevice.CreateDrawingSurface(
            {static_cast<float>(std::max(width, 1)), static_cast<float>(std::max(height, 1))},
            comp::DirectXPixelFormat::B8G8R8A8UIntNormalized, comp::DirectXAlphaMode::Premultiplied);
    } catch (const comp::HResultError& error) {
        ReportDrawFailure(error.code());
    } catch (...) {
        platform::LogCaughtException(L"CompositionHost::CreateDrawingSurface");
        ReportDrawFailure(E_FAIL);
    }
    return nullptr;
}

void CompositionHost::ReportDrawFailure(HRESULT hr) {
    LogMessage(L"Surface draw failed: 0x%08X", static_cast<unsigned>(hr));
    if (hr == kDeviceRemoved || hr == kDeviceReset || hr == kRecreateTarget) deviceLost.exchange(true);
}

bool CompositionHost::Paint(const comp::CompositionDrawingSurface& surface,
                            const std::function<void(ID2D1DeviceContext*)>& painter) {
    return PaintChecked(surface, [&](ID2D1DeviceContext* context) {
        painter(context);
        return S_OK;
    });
}

bool CompositionHost::PaintPixels(const comp::CompositionDrawingSurface& surface, const raster::Image& pixels) {
    if (!surface) return false;
    comp::CompositionDrawingSurface target = surface;
    const HRESULT hr = target.SetPixels(pixels);
    if (FAILED(hr)) ReportDrawFailure(hr);
    return SUCCEEDED(hr);
}

bool CompositionHost::PaintChecked(const comp::CompositionDrawingSurface& surface,
                                   const std::function<HRESULT(ID2D1DeviceContext*)>& painter) {
    if (!surface) return false;
    comp::CompositionDrawingSurface target = surface;
    Microsoft::WRL::ComPtr<ID2D1DeviceContext> context;
    POINT offset = {};
    HRESULT hr = target.BeginDrawCleared(&context, &offset);
    if (FAILED(hr)) {
        ReportDrawFailure(hr);
        return false;
    }
    context->SetTransform(D2D1::Matrix3x2F::Translation(static_cast<float>(offset.x), static_cast<float>(offset.y)));
    // A painter that fails or throws still closes the draw, so the surface
    // stays usable, and its failure is reported like any other.
    HRESULT painted = E_FAIL;
    try {
        painted = painter(context.Get());
    } catch (const comp::HResultError& error) {
        painted = FAILED(error.code()) ? error.code() : E_FAIL;
    } catch (const std::bad_alloc&) {
        painted = E_OUTOFMEMORY;
    } catch (...) {
        platform::LogCaughtException(L"CompositionHost::PaintChecked");
        painted = E_FAIL;
    }
    hr = target.EndDraw();
    if (FAILED(painted)) hr = painted;
    if (FAILED(hr)) {
        ReportDrawFailure(hr);
        return false;
    }
    return true;
}

bool CompositionHost::PaintFadeTexture(const comp::CompositionDrawingSurface& surface) {
    return PaintPixels(surface, VerticalGradient(128, {{0.0f, White(0.90f)},
                                                       {0.45f, White(0.78f)},
                                                       {0.72f, White(0.36f)},
                                                       {0.88f, White(0.10f)},
                                                       {1.0f, White(0.0f)}}));
}

bool CompositionHost::PaintRimHighlightTexture(const comp::CompositionDrawingSurface& surface) {
    return PaintPixels(
        surface,
        VerticalGradient(64, {{0.0f, White(0.55f)}, {0.12f, White(0.0f)}, {0.75f, White(0.0f)}, {1.0f, White(0.90f)}}));
}

bool CompositionHost::PaintEdgeSheenTexture(const comp::CompositionDrawingSurface& surface, const float& a0,
                                            const float& a1, const float& a2) {
    return PaintPixels(surface, VerticalGradient(128, {{0.0f, White(a0)},
                                                       {0.06f, White(a1)},
                                                       {0.14f, White(0.0f)},
                                                       {0.88f, {0.84f, 0.94f, 1.0f, 0.0f}},
                                                       {1.0f, {0.88f, 0.96f, 1.0f, a2}}}));
}

bool CompositionHost::PaintRoundedMaskTexture(const comp::CompositionDrawingSurface& surface, float width, float height,
                                              const float& size, const float& strokeWidth, const float& cornerRadius) {
    if (!surface || width < 1 || height < 1) return false;
    const float s = size, w = strokeWidth, r = cornerRadius;
    // Built as pixels rather than drawn: the dock's first frame needs this
    // mask, and the first drawing on a new device costs more than the frame.
    raster::Image pixels(static_cast<int>(width), static_cast<int>(height));
    for (int i = 0; i <= 4; ++i) {
        const float d = 0.25f * static_cast<float>(i);
        const float e = w * (1.0f - 0.78f * d);
        const float m = std::max(e / 2.0f, 0.5f);
        const float radius = std::max(r - 0.45f * m, 2.0f);
        StrokeRoundedSquare(pixels, s, m, radius, e, {{0.0f, 1.0f, 1.0f, 1.0f, 0.24f * (1.0f - 0.72f * d)}}, s);
    }
    return PaintPixels(surface, pixels);
}
