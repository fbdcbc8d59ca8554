#pragma once
// Painting icons into a drawing context that the caller has begun, placed
// and cleared: extracted pixels (plain, or on the tile plate in mac style),
// count badges and built-in glyphs.

#include "apps/BuiltinIcons.h"
#include "apps/IconBitmap.h"

#include <windows.h>
#include <d2d1_1.h>
#include <dwrite.h>
#include <wrl/client.h>

#include <string>

// The plate's inner square, where mac-style pixels go (0.64 of the edge).
constexpr float kIconInnerInset = 0.18f;

// A Direct2D bitmap of already premultiplied BGRA pixels; null on failure.
Microsoft::WRL::ComPtr<ID2D1Bitmap> CreateIconD2DBitmap(ID2D1DeviceContext* context, const IconBitmap& bitmap);

// A 1:1 copy into the top-left corner: nothing scaled, the rest left clear.
// Callers bring the pixels to the surface's size first (FitIconToSquare).
void PaintIconBitmapPlain(ID2D1DeviceContext* context, const IconBitmap& bitmap);

// Scaled into the whole square, or in mac style onto the tile plate's inner
// square; then the count badge for counts of 2 and more.
void PaintIconPixels(ID2D1DeviceContext* context, IDWriteFactory* dwrite, const IconBitmap& bitmap, bool macStyle,
                     int size, int count);

// The mac-style plate with nothing on it, and the count badge for counts of 2
// and more: what a tile shows while its icon is being extracted.
void PaintPlaceholderPlate(ID2D1DeviceContext* context, IDWriteFactory* dwrite, int size, int count);

// "1".."99", then "99+".
std::wstring CountBadgeText(int count);
// The badge's font size for its text at badge radius r.
float CountBadgeFontSize(float radius, size_t textLength);

// The disc with shadow, ring and count towards the bottom-right corner;
// nothing for counts below 2.
void DrawCountBadge(ID2D1DeviceContext* context, IDWriteFactory* dwrite, int size, int count);

// The glyph's painter (kind 0 draws nothing), then the badge for counts above 1.
void PaintBuiltinIcon(ID2D1DeviceContext* context, IDWriteFactory* dwrite, int size, BuiltinIconKind kind, int count);
