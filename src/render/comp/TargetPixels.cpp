#include "render/comp/TargetPixels.h"

#include <algorithm>
#include <cstring>

namespace comp {

D2D1_BITMAP_PROPERTIES1 BitmapProperties(D2D1_BITMAP_OPTIONS options, float dpi) {
    D2D1_BITMAP_PROPERTIES1 properties = {};
    properties.pixelFormat = {DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED};
    properties.dpiX = dpi;
    properties.dpiY = dpi;
    properties.bitmapOptions = options;
    return properties;
}

HRESULT CopyTargetPixels(ID2D1DeviceContext* context, ID2D1Bitmap1* target, uint32_t* pixels, int width, int height,
                         Microsoft::WRL::ComPtr<ID2D1Bitmap1>* kept) {
    D2D1_SIZE_U size = target->GetPixelSize();
    Microsoft::WRL::ComPtr<ID2D1Bitmap1> made;
    Microsoft::WRL::ComPtr<ID2D1Bitmap1>& readable = kept ? *kept : made;
    HRESULT hr = S_OK;
    if (readable) {
        const D2D1_SIZE_U have = readable->GetPixelSize();
        if (have.width != size.width || have.height != size.height) readable.Reset();
    }
    if (!readable) {
        D2D1_BITMAP_PROPERTIES1 properties =
            BitmapProperties(D2D1_BITMAP_OPTIONS_CPU_READ | D2D1_BITMAP_OPTIONS_CANNOT_DRAW);
        hr = context->CreateBitmap(size, nullptr, 0, &properties, &readable);
        if (FAILED(hr)) return hr;
    }
    hr = readable->CopyFromBitmap(nullptr, target, nullptr);
    if (FAILED(hr)) return hr;
    D2D1_MAPPED_RECT mapped = {};
    hr = readable->Map(D2D1_MAP_OPTIONS_READ, &mapped);
    if (FAILED(hr)) return hr;
    for (int y = 0; y < height && y < static_cast<int>(size.height); ++y) {
        std::memcpy(pixels + static_cast<size_t>(y) * width, mapped.bits + y * mapped.pitch,
                    static_cast<size_t>(std::min<int>(width, size.width)) * 4);
    }
    readable->Unmap();
    return S_OK;
}

}  // namespace comp
