#include "IconTestDevice.h"

#include <dxgi.h>

using Microsoft::WRL::ComPtr;

bool PixelImage::AnyOpaqueIn(int left, int top, int right, int bottom, uint8_t minAlpha) const {
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if (At(x, y).a >= minAlpha) return true;
        }
    }
    return false;
}

bool PixelImage::AllTransparentIn(int left, int top, int right, int bottom) const {
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if (At(x, y).a != 0) return false;
        }
    }
    return true;
}

IconTestDevice::IconTestDevice() {
    const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_1,
                                        D3D_FEATURE_LEVEL_10_0};
    if (FAILED(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr,
                                 D3D11_CREATE_DEVICE_BGRA_SUPPORT, levels, 3, D3D11_SDK_VERSION,
                                 &d3d_, nullptr, nullptr))) {
        return;
    }
    ComPtr<IDXGIDevice> dxgi;
    if (FAILED(d3d_.As(&dxgi))) return;
    if (FAILED(D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory1),
                                 nullptr, reinterpret_cast<void**>(factory_.GetAddressOf())))) {
        return;
    }
    if (FAILED(factory_->CreateDevice(dxgi.Get(), &device_))) return;
    ComPtr<ID2D1DeviceContext> context;
    if (FAILED(device_->CreateDeviceContext(D2D1_DEVICE_CONTEXT_OPTIONS_NONE, &context))) return;
    DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory),
                        reinterpret_cast<IUnknown**>(dwrite_.GetAddressOf()));
    context_ = context;
}

ComPtr<ID2D1Bitmap1> IconTestDevice::CreateTarget(int size) {
    ComPtr<ID2D1Bitmap1> target;
    if (!context_) return target;
    const auto props = D2D1::BitmapProperties1(
        D2D1_BITMAP_OPTIONS_TARGET,
        D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED));
    context_->CreateBitmap(D2D1::SizeU(size, size), nullptr, 0, props, &target);
    return target;
}

PixelImage IconTestDevice::ReadBack(ID2D1Bitmap1* target) {
    PixelImage image;
    if (!context_ || !target) return image;
    const D2D1_SIZE_U size = target->GetPixelSize();
    const auto props = D2D1::BitmapProperties1(
        D2D1_BITMAP_OPTIONS_CPU_READ | D2D1_BITMAP_OPTIONS_CANNOT_DRAW,
        D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED));
    ComPtr<ID2D1Bitmap1> staging;
    if (FAILED(context_->CreateBitmap(size, nullptr, 0, props, &staging))) return image;
    if (FAILED(staging->CopyFromBitmap(nullptr, target, nullptr))) return image;
    D2D1_MAPPED_RECT mapped = {};
    if (FAILED(staging->Map(D2D1_MAP_OPTIONS_READ, &mapped))) return image;
    image.width = static_cast<int>(size.width);
    image.height = static_cast<int>(size.height);
    image.pixels.resize(static_cast<size_t>(image.width) * image.height);
    for (int y = 0; y < image.height; ++y) {
        memcpy(&image.pixels[static_cast<size_t>(y) * image.width], mapped.bits + y * mapped.pitch,
               static_cast<size_t>(image.width) * 4);
    }
    staging->Unmap();
    return image;
}

PixelImage IconTestDevice::Render(int size, const std::function<void(ID2D1DeviceContext*)>& paint) {
    auto target = CreateTarget(size);
    if (!target) return {};
    context_->SetTarget(target.Get());
    context_->BeginDraw();
    context_->SetTransform(D2D1::Matrix3x2F::Identity());
    context_->Clear(D2D1::ColorF(0, 0, 0, 0));
    paint(context_.Get());
    HRESULT hr = context_->EndDraw();
    context_->SetTarget(nullptr);
    if (FAILED(hr)) return {};
    return ReadBack(target.Get());
}

IconSurfaceRef IconTestHost::CreateDrawingSurface(int width, int height) {
    if (failCreation) return nullptr;
    auto surface = std::make_shared<Surface>();
    surface->width = width;
    surface->height = height;
    if (device_) {
        surface->target = device_->CreateTarget(width);
        if (!surface->target) return nullptr;
    }
    ++created;
    return surface;
}

void IconTestHost::DrawSurface(IconSurface& base,
                               const std::function<void(ID2D1DeviceContext*)>& paint) {
    auto& surface = static_cast<Surface&>(base);
    ++drawn;
    if (!device_ || !surface.target) return;
    ID2D1DeviceContext* context = device_->Context();
    context->SetTarget(surface.target.Get());
    context->BeginDraw();
    context->SetTransform(D2D1::Matrix3x2F::Identity());
    context->Clear(D2D1::ColorF(0, 0, 0, 0));
    paint(context);
    if (FAILED(context->EndDraw())) ++drawFailures;
    context->SetTarget(nullptr);
}

PixelImage IconTestHost::Pixels(const IconSurfaceRef& surface) {
    auto* own = static_cast<Surface*>(surface.get());
    if (!device_ || !own) return {};
    return device_->ReadBack(own->target.Get());
}

int IconTestHost::Width(const IconSurfaceRef& surface) {
    auto* own = static_cast<Surface*>(surface.get());
    return own ? own->width : 0;
}
