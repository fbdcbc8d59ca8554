#pragma once
// Small Direct2D helpers of the launcher's painters: solid fills and strokes of
// rounded rectangles, circles and lines, and centred text. Each call makes its
// own brush, so a painter holds nothing between paints.

#include <d2d1_1.h>
#include <dwrite.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>

#include "render/GradientPixels.h"

struct Rgba {
    float r, g, b, a;
};
inline D2D1_COLOR_F ToColor(const Rgba& c) { return D2D1::ColorF(c.r, c.g, c.b, c.a); }
inline Rgba Pick(bool dark, Rgba darkColor, Rgba lightColor) { return dark ? darkColor : lightColor; }
// The colour as a premultiplied pixel of the compositor's images.
inline uint32_t ToPixel(const Rgba& c) { return PremultipliedPixel(c.r, c.g, c.b, c.a); }

void FillRoundRect(ID2D1DeviceContext* context, D2D1_RECT_F rect, float radius, Rgba color);
void StrokeRoundRect(ID2D1DeviceContext* context, D2D1_RECT_F rect, float radius, Rgba color, float width);
void FillCircle(ID2D1DeviceContext* context, float cx, float cy, float radius, Rgba color);
void StrokeCircle(ID2D1DeviceContext* context, float cx, float cy, float radius, Rgba color, float width);
void DrawLine(ID2D1DeviceContext* context, float x0, float y0, float x1, float y1, Rgba color, float width);

// "Microsoft YaHei UI", zh-CN, centred both ways, no wrapping; null on failure.
Microsoft::WRL::ComPtr<IDWriteTextFormat> MakeLauncherFormat(IDWriteFactory* factory, DWRITE_FONT_WEIGHT weight,
                                                             float size);
// The tile labels': medium 12 DIP at the scale, centred across, set from the
// top, cut with an ellipsis.
Microsoft::WRL::ComPtr<IDWriteTextFormat> MakeTileLabelFormat(IDWriteFactory* factory, float scale);
void DrawCenteredText(ID2D1DeviceContext* context, IDWriteTextFormat* format, const std::wstring& text, D2D1_RECT_F box,
                      Rgba color);
// The x of a caret before the unit at position of one line of text set in a
// leading-aligned format (position may be the text's length).
float TextPositionX(IDWriteFactory* factory, IDWriteTextFormat* format, const std::wstring& text, size_t position);
