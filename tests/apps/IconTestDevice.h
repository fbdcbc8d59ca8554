#pragma once
// A real Direct3D 11 / Direct2D device with a bitmap target, so icon painters
// can be run and their pixels read back.

#include <windows.h>
#include <d2d1_1.h>
#include <d3d11.h>
#include <dwrite.h>
#include <wrl/client.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "apps/IconSurfaceHost.h"

struct Pixel {
    uint8_t b, g, r, a;
};

// Premultiplied BGRA read back from a target, rows top to bottom.
struct PixelImage {
    int width = 0;
    int height = 0;
    std::vector<Pixel> pixels;
    Pixel At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    bool AnyOpaqueIn(int left, int top, int right, int bottom, uint8_t minAlpha = 200) const;
    bool AllTransparentIn(int left, int top, int right, int bottom) const;
};

class IconTestDevice {
public:
    IconTestDevice();
    bool Ready() const { return context_ != nullptr; }
    ID2D1DeviceContext* Context() const { return context_.Get(); }
    IDWriteFactory* DWrite() const { return dwrite_.Get(); }

    // Makes a size x size target, begins drawing, clears to transparent, runs
    // paint, ends drawing and reads the pixels back. Empty image on failure.
    PixelImage Render(int size, const std::function<void(ID2D1DeviceContext*)>& paint);

    // Target bitmaps for a surface host; ReadBack copies one to the CPU.
    Microsoft::WRL::ComPtr<ID2D1Bitmap1> CreateTarget(int size);
    PixelImage ReadBack(ID2D1Bitmap1* target);

private:
    Microsoft::WRL::ComPtr<ID3D11Device> d3d_;
    Microsoft::WRL::ComPtr<ID2D1Factory1> factory_;
    Microsoft::WRL::ComPtr<ID2D1Device> device_;
    Microsoft::WRL::ComPtr<ID2D1DeviceContext> context_;
    Microsoft::WRL::ComPtr<IDWriteFactory> dwrite_;
};

// A surface host whose surfaces are target bitmaps of a test device; with no
// device it hands out blank surfaces and skips painting.
class IconTestHost : public IconSurfaceHost {
public:
    struct Surface : IconSurface {
        int width = 0;
        int height = 0;
        Microsoft::WRL::ComPtr<ID2D1Bitmap1> target;
    };

    explicit IconTestHost(IconTestDevice* device = nullptr) : device_(device) {}

    IconSurfaceRef CreateDrawingSurface(int width, int height) override;
    void DrawSurface(IconSurface& surface,
                     const std::function<void(ID2D1DeviceContext*)>& paint) override;

    PixelImage Pixels(const IconSurfaceRef& surface);
    static int Width(const IconSurfaceRef& surface);

    int created = 0;
    int drawn = 0;
    int drawFailures = 0;
    bool failCreation = false;

private:
    IconTestDevice* device_;
};
