#include "render/comp/DrawingSurface.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "render/comp/CompositorState.h"

namespace comp {

namespace {

constexpr HRESULT kDrawAlreadyOpen = static_cast<HRESULT>(0x8000000E);  // E_ILLEGAL_METHOD_CALL

D2D1_BITMAP_PROPERTIES1 BitmapProperties(D2D1_BITMAP_OPTIONS options) {
    D2D1_BITMAP_PROPERTIES1 properties = {};
    properties.pixelFormat = {DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED};
    properties.dpiX = 96.0f;
    properties.dpiY = 96.0f;
    properties.bitmapOptions = options;
    return properties;
}

HRESULT TakeInjectedFailure(detail::GraphicsDeviceNode& device) {
    HRESULT hr = device.injectedFailure;
    device.injectedFailure = S_OK;
    return hr;
}

// Copies the surface's target back into its pixel store.
HRESULT ReadBack(detail::SurfaceNode& surface, ID2D1DeviceContext* context) {
    D2D1_SIZE_U size = surface.target->GetPixelSize();
    Microsoft::WRL::ComPtr<ID2D1Bitmap1> readable;
    D2D1_BITMAP_PROPERTIES1 properties =
        BitmapProperties(D2D1_BITMAP_OPTIONS_CPU_READ | D2D1_BITMAP_OPTIONS_CANNOT_DRAW);
    HRESULT hr = context->CreateBitmap(size, nullptr, 0, &properties, &readable);
    if (FAILED(hr)) return hr;
    hr = readable->CopyFromBitmap(nullptr, surface.target.Get(), nullptr);
    if (FAILED(hr)) return hr;
    D2D1_MAPPED_RECT mapped = {};
    hr = readable->Map(D2D1_MAP_OPTIONS_READ, &mapped);
    if (FAILED(hr)) return hr;
    int width = surface.pixels.Width();
    int height = surface.pixels.Height();
    for (int y = 0; y < height && y < static_cast<int>(size.height); ++y) {
        std::memcpy(surface.pixels.Data() + static_cast<size_t>(y) * width, mapped.bits + y * mapped.pitch,
                    static_cast<size_t>(std::min<int>(width, size.width)) * 4);
    }
    readable->Unmap();
    surface.targetHoldsPixels = true;
    return S_OK;
}

}  // namespace

Vector2 CompositionDrawingSurface::Size() const {
    return {static_cast<float>(Get().pixels.Width()), static_cast<float>(Get().pixels.Height())};
}

SIZE CompositionDrawingSurface::SizeInt() const { return {Get().pixels.Width(), Get().pixels.Height()}; }

void CompositionDrawingSurface::Resize(SIZE size) {
    auto& surface = Get();
    if (surface.drawing) ThrowHResult(kDrawAlreadyOpen);
    surface.pixels.Reset(std::max<LONG>(size.cx, 1), std::max<LONG>(size.cy, 1));
    surface.target.Reset();
    surface.targetHoldsPixels = false;
    surface.Touch();
}

HRESULT CompositionDrawingSurface::BeginDraw(const RECT* updateRect, ID2D1DeviceContext** context, POINT* offset) {
    if (!node_) return E_POINTER;
    if (!context || !offset) return E_POINTER;
    *context = nullptr;
    auto& surface = *node_;
    if (surface.drawing) return kDrawAlreadyOpen;
    if (!surface.device || !surface.device->d2dDevice) return E_FAIL;
    auto& device = *surface.device;
    if (HRESULT injected = TakeInjectedFailure(device); FAILED(injected)) return injected;
    if (updateRect && (updateRect->left < 0 || updateRect->top < 0 || updateRect->right > surface.pixels.Width() ||
                       updateRect->bottom > surface.pixels.Height() || updateRect->left >= updateRect->right ||
                       updateRect->top >= updateRect->bottom)) {
        return E_INVALIDARG;
    }

    if (!device.context) {
        HRESULT hr = device.d2dDevice->CreateDeviceContext(D2D1_DEVICE_CONTEXT_OPTIONS_NONE, &device.context);
        if (FAILED(hr)) return hr;
    }
    D2D1_SIZE_U size = {static_cast<UINT32>(surface.pixels.Width()), static_cast<UINT32>(surface.pixels.Height())};
    if (!surface.target) {
        D2D1_BITMAP_PROPERTIES1 properties = BitmapProperties(D2D1_BITMAP_OPTIONS_TARGET);
        HRESULT hr = device.context->CreateBitmap(size, nullptr, 0, &properties, &surface.target);
        if (FAILED(hr)) return hr;
        surface.targetHoldsPixels = false;
    }
    if (!surface.targetHoldsPixels) {
        // Drawing adds to what the surface already shows.
        D2D1_RECT_U all = {0, 0, size.width, size.height};
        HRESULT hr = surface.target->CopyFromMemory(&all, surface.pixels.Data(), size.width * 4);
        if (FAILED(hr)) return hr;
        surface.targetHoldsPixels = true;
    }
    device.context->SetTarget(surface.target.Get());
    device.context->BeginDraw();
    device.context->SetTransform(D2D1::Matrix3x2F::Identity());
    if (updateRect) {
        D2D1_RECT_F clip = D2D1::RectF(static_cast<float>(updateRect->left), static_cast<float>(updateRect->top),
                                       static_cast<float>(updateRect->right), static_cast<float>(updateRect->bottom));
        device.context->PushAxisAlignedClip(clip, D2D1_ANTIALIAS_MODE_ALIASED);
    }
    surface.drawing = true;
    surface.drawClipped = updateRect != nullptr;
    *offset = {0, 0};
    *context = device.context.Get();
    (*context)->AddRef();
    return S_OK;
}

HRESULT CompositionDrawingSurface::EndDraw() {
    if (!node_) return E_POINTER;
    auto& surface = *node_;
    if (!surface.drawing) return kDrawAlreadyOpen;
    auto& device = *surface.device;
    if (surface.drawClipped) device.context->PopAxisAlignedClip();
    HRESULT hr = device.context->EndDraw();
    if (SUCCEEDED(hr)) hr = ReadBack(surface, device.context.Get());
    device.context->SetTarget(nullptr);
    surface.drawing = false;
    surface.drawClipped = false;
    if (FAILED(hr)) {
        surface.target.Reset();
        surface.targetHoldsPixels = false;
        return hr;
    }
    surface.Touch();
    return S_OK;
}

HRESULT CompositionDrawingSurface::SetPixels(const raster::Image& pixels) {
    if (!node_) return E_POINTER;
    auto& surface = *node_;
    if (surface.drawing) return kDrawAlreadyOpen;
    if (!surface.device) return E_POINTER;
    if (HRESULT injected = TakeInjectedFailure(*surface.device); FAILED(injected)) return injected;
    if (pixels.IsEmpty()) return E_INVALIDARG;
    surface.pixels.Fill(0);
    const int width = std::min(pixels.Width(), surface.pixels.Width());
    const int height = std::min(pixels.Height(), surface.pixels.Height());
    for (int y = 0; y < height; ++y) {
        std::copy_n(pixels.Data() + static_cast<size_t>(y) * pixels.Width(), width,
                    surface.pixels.Data() + static_cast<size_t>(y) * surface.pixels.Width());
    }
    // The next draw starts from these pixels, not from the bitmap's old content.
    surface.targetHoldsPixels = false;
    surface.Touch();
    return S_OK;
}

CompositionDrawingSurface CompositionGraphicsDevice::CreateDrawingSurface(Vector2 sizePixels, DirectXPixelFormat format,
                                                                          DirectXAlphaMode alphaMode) {
    auto& device = Get();
    if (HRESULT injected = TakeInjectedFailure(device); FAILED(injected)) ThrowHResult(injected);
    if (format != DirectXPixelFormat::B8G8R8A8UIntNormalized || alphaMode != DirectXAlphaMode::Premultiplied) {
        ThrowHResult(E_INVALIDARG);
    }
    auto surface = std::make_shared<detail::SurfaceNode>(device.owner);
    surface->device = std::static_pointer_cast<detail::GraphicsDeviceNode>(node_);
    int width = std::isfinite(sizePixels.x) ? std::max(1, static_cast<int>(sizePixels.x)) : 1;
    int height = std::isfinite(sizePixels.y) ? std::max(1, static_cast<int>(sizePixels.y)) : 1;
    surface->pixels.Reset(width, height);
    // Icons and labels come and go all day: sweep out the dropped surfaces
    // whenever the list has doubled, so it stays near the number still alive.
    constexpr size_t kSmallestSweep = 32;
    if (device.surfaces.size() >= 2 * std::max(device.surfacesAfterSweep, kSmallestSweep / 2)) {
        std::erase_if(device.surfaces, [](const std::weak_ptr<detail::SurfaceNode>& weak) { return weak.expired(); });
        device.surfacesAfterSweep = device.surfaces.size();
    }
    device.surfaces.push_back(surface);
    return CompositionDrawingSurface(surface);
}

void CompositionGraphicsDevice::SetRenderingDevice(ID2D1Device* d2dDevice) {
    auto& device = Get();
    device.d2dDevice = d2dDevice;
    device.context.Reset();
    // Bitmaps of the old device are useless now; the pixels stay until repainted.
    std::erase_if(device.surfaces, [](const std::weak_ptr<detail::SurfaceNode>& weak) {
        auto surface = weak.lock();
        if (!surface) return true;
        surface->target.Reset();
        surface->targetHoldsPixels = false;
        surface->drawing = false;
        return false;
    });
    device.surfacesAfterSweep = device.surfaces.size();
    device.Touch();
}

}  // namespace comp
