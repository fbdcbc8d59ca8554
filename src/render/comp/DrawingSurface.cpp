#include "render/comp/DrawingSurface.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <system_error>

#include "platform/DetachedThread.h"
#include "render/comp/CompositorState.h"
#include "render/comp/TargetPixels.h"

namespace comp {

namespace {

constexpr HRESULT kDrawAlreadyOpen = static_cast<HRESULT>(0x8000000E);  // E_ILLEGAL_METHOD_CALL

HRESULT TakeInjectedFailure(detail::GraphicsDeviceNode& device) {
    HRESULT hr = device.injectedFailure;
    device.injectedFailure = S_OK;
    return hr;
}

// The context the warm-up worker made, once it has finished; nothing when
// there was no warm-up or it was taken already.
void TakeWarmedContext(detail::GraphicsDeviceNode& device) {
    if (device.warming.valid()) device.context = device.warming.get();
}

// Copies the surface's target back into its pixel store.
HRESULT ReadBack(detail::SurfaceNode& surface, ID2D1DeviceContext* context) {
    HRESULT hr = CopyTargetPixels(context, surface.target.Get(), surface.pixels.Data(), surface.pixels.Width(),
                                  surface.pixels.Height(), &surface.readable);
    if (SUCCEEDED(hr)) surface.targetHoldsPixels = true;
    return hr;
}

// A drawing context that has drawn once, the way a surface draws: a target,
// a clear, a filled and a stroked shape, the read-back. Null when it fails.
Microsoft::WRL::ComPtr<ID2D1DeviceContext> DrawOnce(ID2D1Device* d2dDevice) {
    Microsoft::WRL::ComPtr<ID2D1DeviceContext> context;
    if (!d2dDevice || FAILED(d2dDevice->CreateDeviceContext(D2D1_DEVICE_CONTEXT_OPTIONS_NONE, &context))) {
        return nullptr;
    }
    Microsoft::WRL::ComPtr<ID2D1Bitmap1> target;
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> brush;
    D2D1_BITMAP_PROPERTIES1 properties = BitmapProperties(D2D1_BITMAP_OPTIONS_TARGET);
    raster::Image pixels(16, 16);
    if (SUCCEEDED(context->CreateBitmap({16, 16}, nullptr, 0, &properties, &target)) &&
        SUCCEEDED(context->CreateSolidColorBrush(D2D1::ColorF(1.0f, 1.0f, 1.0f, 0.5f), &brush))) {
        context->SetTarget(target.Get());
        context->BeginDraw();
        context->Clear(D2D1::ColorF(0, 0.0f));
        context->FillRoundedRectangle(D2D1::RoundedRect(D2D1::RectF(1, 1, 15, 15), 4, 4), brush.Get());
        context->DrawEllipse(D2D1::Ellipse(D2D1::Point2F(8, 8), 5, 5), brush.Get(), 1.5f);
        if (SUCCEEDED(context->EndDraw())) {
            CopyTargetPixels(context.Get(), target.Get(), pixels.Data(), pixels.Width(), pixels.Height());
        }
        context->SetTarget(nullptr);
    }
    return context;
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
    surface.readable.Reset();
    surface.targetHoldsPixels = false;
    surface.Touch();
}

HRESULT CompositionDrawingSurface::BeginDrawCleared(ID2D1DeviceContext** context, POINT* offset) {
    if (!node_) return E_POINTER;
    // What the surface shows now is not uploaded: it is cleared away at once.
    const bool held = node_->targetHoldsPixels;
    if (!node_->drawing) node_->targetHoldsPixels = true;
    const HRESULT hr = BeginDraw(nullptr, context, offset);
    if (FAILED(hr)) {
        if (!node_->drawing) node_->targetHoldsPixels = held;
        return hr;
    }
    (*context)->Clear(D2D1::ColorF(0, 0.0f));
    return hr;
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

    TakeWarmedContext(device);
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
        surface.readable.Reset();
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
    const int width = std::min(pixels.Width(), surface.pixels.Width());
    const int height = std::min(pixels.Height(), surface.pixels.Height());
    if (width < surface.pixels.Width() || height < surface.pixels.Height()) surface.pixels.Fill(0);
    for (int y = 0; y < height; ++y) {
        std::copy_n(pixels.Data() + static_cast<size_t>(y) * pixels.Width(), width,
                    surface.pixels.Data() + static_cast<size_t>(y) * surface.pixels.Width());
    }
    // The next draw starts from these pixels, not from the bitmap's old content.
    surface.targetHoldsPixels = false;
    surface.Touch();
    return S_OK;
}

HRESULT CompositionDrawingSurface::SetPixelsIn(const raster::Image& pixels, const RECT& area) {
    if (!node_) return E_POINTER;
    auto& surface = *node_;
    if (surface.drawing) return kDrawAlreadyOpen;
    if (!surface.device) return E_POINTER;
    if (HRESULT injected = TakeInjectedFailure(*surface.device); FAILED(injected)) return injected;
    const int width = surface.pixels.Width();
    if (pixels.Width() != width || pixels.Height() != surface.pixels.Height() || area.left < 0 || area.top < 0 ||
        area.right > width || area.bottom > pixels.Height() || area.left >= area.right || area.top >= area.bottom) {
        return E_INVALIDARG;
    }
    for (int y = area.top; y < area.bottom; ++y) {
        const size_t row = static_cast<size_t>(y) * width;
        std::copy(pixels.Data() + row + area.left, pixels.Data() + row + area.right,
                  surface.pixels.Data() + row + area.left);
    }
    surface.targetHoldsPixels = false;
    const uint64_t from = surface.version;
    surface.Touch();
    auto& changes = surface.partialChanges;
    if (changes.size() >= detail::SurfaceNode::kPartialChangesKept) changes.erase(changes.begin());
    changes.push_back({from, surface.version, {area.left, area.top, area.right - area.left, area.bottom - area.top}});
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

void CompositionGraphicsDevice::WarmUp(std::function<void()> done) {
    auto& device = Get();
    if (device.warming.valid() || device.context || !device.d2dDevice) {
        if (done) done();
        return;
    }
    try {
        std::promise<Microsoft::WRL::ComPtr<ID2D1DeviceContext>> promise;
        auto cancelled = std::make_shared<std::atomic<bool>>(false);
        device.warming = promise.get_future();
        device.warmingCancelled = cancelled;
        // Detached with its own promise and its own reference to the device:
        // the first BeginDraw takes the result, nothing waits for the thread.
        // The promise is kept only once the worker is done with Direct2D: a
        // process ending while a worker still drew, or let go of the device,
        // was killed or crashed on its way out.
        platform::StartDetachedThread(
            [d2dDevice = device.d2dDevice, promise = std::move(promise), cancelled, done]() mutable {
                Microsoft::WRL::ComPtr<ID2D1DeviceContext> context;
                if (!cancelled->load()) context = DrawOnce(d2dDevice.Get());
                // Not wanted any more: let go of here, on the thread that made it.
                if (cancelled->load()) context.Reset();
                d2dDevice.Reset();
                promise.set_value(std::move(context));
                if (done && !cancelled->load()) done();
            });
    } catch (const std::system_error&) {
        device.warming = {};
        device.warmingCancelled.reset();
        if (done) done();
    }
}

bool CompositionGraphicsDevice::Warming() const {
    const auto& warming = Get().warming;
    return warming.valid() && warming.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready;
}

void CompositionGraphicsDevice::FinishWarmUp() { TakeWarmedContext(Get()); }

void CompositionGraphicsDevice::StopWarmUp() {
    auto& device = Get();
    if (device.warmingCancelled) device.warmingCancelled->store(true);
    // A context that was done before the stop came is dropped all the same.
    if (device.warming.valid()) device.warming.get();
}

void CompositionGraphicsDevice::SetRenderingDevice(ID2D1Device* d2dDevice) {
    auto& device = Get();
    // A warm-up still drawing on the old device finishes before it goes.
    if (device.warming.valid()) device.warming.get();
    device.d2dDevice = d2dDevice;
    device.context.Reset();
    // Bitmaps of the old device are useless now; the pixels stay until repainted.
    std::erase_if(device.surfaces, [](const std::weak_ptr<detail::SurfaceNode>& weak) {
        auto surface = weak.lock();
        if (!surface) return true;
        surface->target.Reset();
        surface->readable.Reset();
        surface->targetHoldsPixels = false;
        surface->drawing = false;
        return false;
    });
    device.surfacesAfterSweep = device.surfaces.size();
    device.Touch();
}

}  // namespace comp
