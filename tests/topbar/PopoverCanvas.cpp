#include "PopoverCanvas.h"

#include <cstdlib>
#include <cstring>

#include <objbase.h>

using Microsoft::WRL::ComPtr;

Bgra CanvasImage::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return {};
    return BgraOf(pixels[static_cast<size_t>(y) * width + x]);
}

bool CanvasImage::AnyOpaque(int left, int top, int right, int bottom, int minAlpha) const {
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if (At(x, y).a >= minAlpha) return true;
        }
    }
    return false;
}

PopoverCanvas::PopoverCanvas() {
    if (!CreateGraphicsFactories(device_) || !device_.Create() || !device_.d2dDevice) return;
    device_.d2dDevice->CreateDeviceContext(D2D1_DEVICE_CONTEXT_OPTIONS_NONE, &context_);
}

PopoverCanvas::ComScope::ComScope() : started(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

PopoverCanvas::ComScope::~ComScope() {
    if (started) CoUninitialize();
}

CanvasImage PopoverCanvas::Render(int width, int height, const std::function<void(ID2D1DeviceContext*)>& paint) {
    CanvasImage image;
    if (!context_) return image;
    const auto targetProps = D2D1::BitmapProperties1(
        D2D1_BITMAP_OPTIONS_TARGET, D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED));
    ComPtr<ID2D1Bitmap1> target;
    if (FAILED(context_->CreateBitmap(D2D1::SizeU(width, height), nullptr, 0, targetProps, &target))) return image;
    context_->SetTarget(target.Get());
    context_->BeginDraw();
    context_->SetTransform(D2D1::Matrix3x2F::Identity());
    context_->Clear(D2D1::ColorF(0, 0, 0, 0));
    paint(context_.Get());
    const HRESULT drawn = context_->EndDraw();
    context_->SetTarget(nullptr);
    if (FAILED(drawn)) return image;

    const auto readProps =
        D2D1::BitmapProperties1(D2D1_BITMAP_OPTIONS_CPU_READ | D2D1_BITMAP_OPTIONS_CANNOT_DRAW,
                                D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED));
    ComPtr<ID2D1Bitmap1> staging;
    if (FAILED(context_->CreateBitmap(D2D1::SizeU(width, height), nullptr, 0, readProps, &staging))) return image;
    if (FAILED(staging->CopyFromBitmap(nullptr, target.Get(), nullptr))) return image;
    D2D1_MAPPED_RECT mapped = {};
    if (FAILED(staging->Map(D2D1_MAP_OPTIONS_READ, &mapped))) return image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        memcpy(&image.pixels[static_cast<size_t>(y) * width], mapped.bits + y * mapped.pitch,
               static_cast<size_t>(width) * 4);
    }
    staging->Unmap();
    return image;
}
