#include "render/PictureCanvas.h"

#include "render/comp/TargetPixels.h"

bool PictureCanvas::Fits(const GraphicsDevice& device, UINT width, UINT height, float dpi) const {
    return context_ && device_.Get() == device.d2dDevice.Get() && width_ == width && height_ == height && dpi_ == dpi;
}

bool PictureCanvas::Ensure(const GraphicsDevice& device, UINT width, UINT height, float dpi) {
    if (Fits(device, width, height, dpi)) return true;
    Reset();
    if (!device.d2dDevice || width == 0 || height == 0 || !(dpi > 0.0f)) return false;
    const D2D1_SIZE_U size = {width, height};
    D2D1_BITMAP_PROPERTIES1 drawn = comp::BitmapProperties(D2D1_BITMAP_OPTIONS_TARGET, dpi);
    D2D1_BITMAP_PROPERTIES1 read =
        comp::BitmapProperties(D2D1_BITMAP_OPTIONS_CPU_READ | D2D1_BITMAP_OPTIONS_CANNOT_DRAW, dpi);
    if (FAILED(device.d2dDevice->CreateDeviceContext(D2D1_DEVICE_CONTEXT_OPTIONS_NONE, &context_)) ||
        FAILED(context_->CreateBitmap(size, nullptr, 0, &drawn, &target_)) ||
        FAILED(context_->CreateBitmap(size, nullptr, 0, &read, &readable_))) {
        Reset();
        return false;
    }
    context_->SetTarget(target_.Get());
    context_->SetDpi(dpi, dpi);
    device_ = device.d2dDevice;
    width_ = width;
    height_ = height;
    dpi_ = dpi;
    return true;
}

void PictureCanvas::Begin() {
    if (!context_) return;
    context_->BeginDraw();
    context_->SetTransform(D2D1::Matrix3x2F::Identity());
    context_->Clear(D2D1::ColorF(0, 0, 0, 0));
}

HRESULT PictureCanvas::End(std::vector<uint32_t>& pixels) {
    pixels.clear();
    if (!context_) return E_POINTER;
    HRESULT hr = context_->EndDraw();
    if (SUCCEEDED(hr)) {
        pixels.resize(static_cast<size_t>(width_) * height_);
        hr = comp::CopyTargetPixels(context_.Get(), target_.Get(), pixels.data(), static_cast<int>(width_),
                                    static_cast<int>(height_), &readable_);
    }
    if (FAILED(hr)) {
        pixels.clear();
        Reset();
        return hr;
    }
    return S_OK;
}

void PictureCanvas::Reset() {
    readable_.Reset();
    target_.Reset();
    context_.Reset();
    device_.Reset();
    width_ = height_ = 0;
    dpi_ = 0.0f;
}
