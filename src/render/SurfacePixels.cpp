#include "render/SurfacePixels.h"

#include <wrl/client.h>

HRESULT DrawPixels(ID2D1DeviceContext* context, const raster::Image& pixels) {
    if (!context) return E_POINTER;
    if (pixels.IsEmpty()) return E_INVALIDARG;
    D2D1_BITMAP_PROPERTIES1 properties = {};
    properties.pixelFormat = {DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED};
    properties.dpiX = 96.0f;
    properties.dpiY = 96.0f;
    properties.bitmapOptions = D2D1_BITMAP_OPTIONS_NONE;
    const D2D1_SIZE_U size = {static_cast<UINT32>(pixels.Width()), static_cast<UINT32>(pixels.Height())};
    Microsoft::WRL::ComPtr<ID2D1Bitmap1> bitmap;
    HRESULT hr = context->CreateBitmap(size, pixels.Data(), size.width * 4, &properties, &bitmap);
    if (FAILED(hr)) return hr;
    const D2D1_RECT_F area = D2D1::RectF(0, 0, static_cast<float>(size.width), static_cast<float>(size.height));
    context->DrawBitmap(bitmap.Get(), &area, 1.0f, D2D1_INTERPOLATION_MODE_NEAREST_NEIGHBOR, nullptr, nullptr);
    return S_OK;
}
