#pragma once
// Direct2D bitmaps of the premultiplied BGRA kind every surface uses, and the
// copy of a drawn target back into memory.

#include <d2d1_1.h>
#include <wrl/client.h>

#include <cstdint>

namespace comp {

D2D1_BITMAP_PROPERTIES1 BitmapProperties(D2D1_BITMAP_OPTIONS options, float dpi = 96.0f);

// Copies a drawn target into width x height pixels (as far as both reach),
// through a CPU-readable bitmap of the target's size that is kept in `kept`
// when given: under Wine making one costs more than the copy.
HRESULT CopyTargetPixels(ID2D1DeviceContext* context, ID2D1Bitmap1* target, uint32_t* pixels, int width, int height,
                         Microsoft::WRL::ComPtr<ID2D1Bitmap1>* kept = nullptr);

}  // namespace comp
