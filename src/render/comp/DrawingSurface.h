#pragma once
// Drawing surfaces: pixels painted with Direct2D on the shared device.
// BeginDraw hands out the device context with the surface as its target (one
// draw open at a time); EndDraw reads the pixels back into the surface's
// premultiplied store, from which the compositor composes.

#include <d2d1_1.h>
#include <wrl/client.h>

#include <functional>

#include "render/comp/Handle.h"
#include "render/comp/Nodes.h"

namespace comp {

class CompositionDrawingSurface : public Handle<detail::SurfaceNode> {
public:
    using Handle::Handle;

    Vector2 Size() const;
    SIZE SizeInt() const;
    // Re-sizes the surface; its content becomes transparent.
    void Resize(SIZE size);

    // The drawing interop: context with the surface as target and the offset at
    // which to draw. updateRect, when given, must lie inside the surface.
    HRESULT BeginDraw(const RECT* updateRect, ID2D1DeviceContext** context, POINT* offset);
    HRESULT EndDraw();
    // BeginDraw of the whole surface made transparent first.
    HRESULT BeginDrawCleared(ID2D1DeviceContext** context, POINT* offset);
    // Pixels built on the CPU become the content as they are, at (0, 0), with
    // no Direct2D draw and read-back; what they do not cover is transparent.
    // Fails like BeginDraw (an open draw, an injected failure).
    HRESULT SetPixels(const raster::Image& pixels);
    // Only the area of pixels (of the surface's size) becomes the content
    // there; the rest stays. A frame that showed the surface before redraws
    // just that area. Fails like SetPixels, and with E_INVALIDARG for pixels
    // of another size or an area outside the surface.
    HRESULT SetPixelsIn(const raster::Image& pixels, const RECT& area);
    HRESULT SuspendDraw() { return E_NOTIMPL; }

    // The composed pixels (premultiplied BGRA), for tests and diagnostics.
    const raster::Image& Pixels() const { return Get().pixels; }
};

class CompositionGraphicsDevice : public Handle<detail::GraphicsDeviceNode> {
public:
    using Handle::Handle;

    // Sizes below one pixel become one pixel.
    CompositionDrawingSurface CreateDrawingSurface(Vector2 sizePixels, DirectXPixelFormat format,
                                                   DirectXAlphaMode alphaMode);
    // Moves every surface onto another Direct2D device (after device loss).
    void SetRenderingDevice(ID2D1Device* device);

    // The first drawing on a device costs a quarter of a second, and many times
    // that on a busy machine (its shaders are made then): a worker makes the
    // drawing context and draws with it once, while the calling thread goes on
    // with anything but drawing. `done` runs on the worker when it has
    // finished; a BeginDraw meanwhile waits for it. Without a worker, `done`
    // runs at once and the first BeginDraw pays the cost itself.
    void WarmUp(std::function<void()> done);
    // The worker of WarmUp has not finished yet.
    bool Warming() const;
    // Waits for the worker of WarmUp, if any, and takes its context: for
    // drawing on this device from outside its surfaces.
    void FinishWarmUp();
    // Before the end: a worker that has not begun drawing does not, one that
    // has is waited for, and its context is dropped. Once this returns no
    // worker of WarmUp is inside Direct2D or holds any of its objects.
    void StopWarmUp();

    // Tests: the next BeginDraw or surface creation fails with this code.
    void InjectFailure(HRESULT code) { Get().injectedFailure = code; }
};

}  // namespace comp
