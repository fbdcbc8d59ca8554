#pragma once
// A picture painted with Direct2D on the shared device and read back as
// premultiplied BGRA pixels: a device context, its target bitmap and a
// CPU-readable copy, kept for repeated paints of one size and DPI. Painting on
// the shared device, which the start-up has already drawn with once, avoids a
// software (WIC) target: under Wine the first of those in a process makes a
// device of its own, a quarter of a second on the UI thread.

#include <windows.h>
#include <d2d1_1.h>
#include <wrl/client.h>

#include <cstdint>
#include <vector>

#include "render/GraphicsDevice.h"

class PictureCanvas {
public:
    // Ready for a paint of width x height pixels at `dpi` on the device's
    // current Direct2D device (a new one after device loss); false when it has
    // none or a bitmap cannot be made.
    bool Ensure(const GraphicsDevice& device, UINT width, UINT height, float dpi);
    // Made already for that device, size and DPI.
    bool Fits(const GraphicsDevice& device, UINT width, UINT height, float dpi) const;
    // The target to paint on between Begin and End; null before Ensure.
    ID2D1RenderTarget* Target() const { return context_.Get(); }
    // Begins a paint cleared to transparent.
    void Begin();
    // Ends the paint and copies its pixels out (width x height); on failure
    // `pixels` is left empty and the canvas is made anew by the next Ensure.
    HRESULT End(std::vector<uint32_t>& pixels);
    void Reset();

private:
    Microsoft::WRL::ComPtr<ID2D1Device> device_;
    Microsoft::WRL::ComPtr<ID2D1DeviceContext> context_;
    Microsoft::WRL::ComPtr<ID2D1Bitmap1> target_;
    Microsoft::WRL::ComPtr<ID2D1Bitmap1> readable_;
    UINT width_ = 0;
    UINT height_ = 0;
    float dpi_ = 0.0f;
};
