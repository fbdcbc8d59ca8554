#include "render/PaintedPictures.h"

#include <wincodec.h>
#include <wrl/client.h>

using Microsoft::WRL::ComPtr;

namespace painted_pictures {

std::vector<uint32_t> PaintPixels(const GraphicsDevice& device, UINT width, UINT height, float dpi,
                                  const std::function<void(ID2D1RenderTarget*)>& paint) {
    ID2D1Factory* factory = device.d2dFactory.Get();
    IWICImagingFactory* imaging = device.wicFactory.Get();
    if (!factory || !imaging || width == 0 || height == 0) return {};
    ComPtr<IWICBitmap> bitmap;
    ComPtr<ID2D1RenderTarget> target;
    if (FAILED(imaging->CreateBitmap(width, height, GUID_WICPixelFormat32bppPBGRA, WICBitmapCacheOnLoad, &bitmap)) ||
        FAILED(factory->CreateWicBitmapRenderTarget(
            bitmap.Get(),
            D2D1::RenderTargetProperties(D2D1_RENDER_TARGET_TYPE_DEFAULT,
                                         D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED),
                                         dpi, dpi),
            &target))) {
        return {};
    }
    target->BeginDraw();
    target->Clear(D2D1::ColorF(0, 0, 0, 0));
    try {
        paint(target.Get());
    } catch (...) {
        target->EndDraw();
        return {};
    }
    if (FAILED(target->EndDraw())) return {};
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
    if (FAILED(bitmap->CopyPixels(nullptr, width * 4, static_cast<UINT>(pixels.size() * 4),
                                  reinterpret_cast<BYTE*>(pixels.data())))) {
        return {};
    }
    return pixels;
}

void Show(HDC dc, const std::vector<uint32_t>& pixels, UINT width, UINT height) {
    if (!dc || pixels.size() != static_cast<size_t>(width) * height) return;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = static_cast<LONG>(width);
    info.bmiHeader.biHeight = -static_cast<LONG>(height);
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, width, height, 0, 0, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
}

}  // namespace painted_pictures
