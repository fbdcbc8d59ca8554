#pragma once
// An offscreen Direct2D target on the shared graphics device: a painter draws
// into it and the premultiplied B, G, R, A pixels are read back.

#include <windows.h>
#include <d2d1_1.h>
#include <wrl/client.h>

#include <cstdint>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "render/GraphicsDevice.h"
#include "support/SurfacePixels.h"

struct CanvasImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    Bgra At(int x, int y) const;
    bool AnyOpaque(int left, int top, int right, int bottom, int minAlpha) const;
};

class PopoverCanvas {
public:
    // COM for the imaging factory, the factories and the device; Ready() is
    // false when any failed.
    PopoverCanvas();
    PopoverCanvas(const PopoverCanvas&) = delete;
    PopoverCanvas& operator=(const PopoverCanvas&) = delete;
    bool Ready() const { return context_ != nullptr; }
    GraphicsDevice& Device() { return device_; }

    // Begins drawing on a cleared width x height target, runs paint, ends and
    // reads back. Empty image on failure.
    CanvasImage Render(int width, int height, const std::function<void(ID2D1DeviceContext*)>& paint);

private:
    // First in, last out: COM outlives the factories.
    struct ComScope {
        bool started;
        ComScope();
        ~ComScope();
    } com_;
    GraphicsDevice device_;
    Microsoft::WRL::ComPtr<ID2D1DeviceContext> context_;
};
