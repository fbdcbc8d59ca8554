#pragma once
// The one compositor of the UI thread, the dock's own window target and root,
// the composition graphics device over the shared Direct2D device, and the one
// place where a failed draw is reported and turned into a device-lost flag.

#include <windows.h>

#include <atomic>
#include <functional>

#include "render/GraphicsDevice.h"
#include "render/PaintedPixelCache.h"
#include "render/comp/Compositor.h"
#include "render/raster/Image.h"

// Turns on the system's host backdrop for a window (or its accent-policy
// fallback); a null handle does nothing.
void EnableHostBackdropForHwnd(HWND hwnd);

class CompositionHost {
public:
    CompositionHost() = default;
    CompositionHost(const CompositionHost&) = delete;
    CompositionHost& operator=(const CompositionHost&) = delete;

    // Keeps a compositor the owner made already, and the window's target and
    // root that PrepareWindow made; makes them otherwise.
    bool Initialize(HWND hwnd, GraphicsDevice& graphics);
    // The part of Initialize that needs no device, run while the device is
    // made: the window's target and root, and the target's buffer. False when
    // the buffer could not be made or handed over; the target is kept.
    bool PrepareWindow(HWND hwnd);
    void SetRenderingDevice(GraphicsDevice& graphics);
    comp::DesktopWindowTarget CreateWindowTarget(HWND hwnd);
    // Premultiplied BGRA; sizes below one pixel become one. Null without a device.
    comp::CompositionDrawingSurface CreateDrawingSurface(int width, int height);
    void ReportDrawFailure(HRESULT hr);
    // True once after a device loss was reported.
    bool TakeDeviceLost() { return deviceLost.exchange(false); }

    // Begin-draw with the surface's offset as translation, clear to
    // transparent, paint, end-draw. False when any step fails or the painter
    // throws; the failure goes to ReportDrawFailure (E_FAIL for an exception
    // that carries no code).
    bool Paint(const comp::CompositionDrawingSurface& surface, const std::function<void(ID2D1DeviceContext*)>& painter);
    // The same for a painter that reports its own failure.
    bool PaintChecked(const comp::CompositionDrawingSurface& surface,
                      const std::function<HRESULT(ID2D1DeviceContext*)>& painter);
    // Paints ready-made premultiplied pixels at (0, 0); a failed upload is reported.
    bool PaintPixels(const comp::CompositionDrawingSurface& surface, const raster::Image& pixels);

    bool PaintFadeTexture(const comp::CompositionDrawingSurface& surface);
    bool PaintRimHighlightTexture(const comp::CompositionDrawingSurface& surface);
    bool PaintRoundedMaskTexture(const comp::CompositionDrawingSurface& surface, float width, float height,
                                 const float& size, const float& strokeWidth, const float& cornerRadius);
    bool PaintEdgeSheenTexture(const comp::CompositionDrawingSurface& surface, const float& a0, const float& a1,
                               const float& a2);

    comp::Compositor compositor{nullptr};
    comp::DesktopWindowTarget mainTarget{nullptr};
    comp::ContainerVisual mainRoot{nullptr};
    comp::CompositionGraphicsDevice graphicsDevice{nullptr};
    std::atomic<bool> deviceLost{false};
    // Text runs and glyphs every window paints, painted once.
    PaintedPixelCache paintedPixels;

private:
    void MakeMainTarget(HWND hwnd);
};
