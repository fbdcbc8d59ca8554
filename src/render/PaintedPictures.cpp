#include "render/PaintedPictures.h"
#include "platform/ExceptionGuard.h"

namespace painted_pictures {

std::vector<uint32_t> PaintPixels(PictureCanvas& canvas, const GraphicsDevice& device, UINT width, UINT height,
                                  float dpi, const std::function<void(ID2D1RenderTarget*)>& paint) {
    if (!canvas.Ensure(device, width, height, dpi)) return {};
    canvas.Begin();
    std::vector<uint32_t> pixels;
    try {
        paint(canvas.Target());
    } catch (...) {
        platform::LogCaughtException(L"painted_pictures::PaintPixels");
        canvas.End(pixels);
        return {};
    }
    canvas.End(pixels);
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
