#pragma once
// Small drawing helpers shared by the built-in glyphs and the icon plates.
// Coordinates handed in are fractions of the icon edge s unless a name says
// pixels. Every helper skips its element when Direct2D cannot make a resource.

#include <windows.h>
#include <d2d1_1.h>
#include <wrl/client.h>

#include <initializer_list>

namespace icon_drawing {

using Microsoft::WRL::ComPtr;

struct UnitPoint {
    float x;
    float y;
};

struct UnitRect {
    float left;
    float top;
    float right;
    float bottom;
};

constexpr D2D1_COLOR_F Rgba(float r, float g, float b, float a = 1.0f) { return {r, g, b, a}; }

inline D2D1_POINT_2F Px(UnitPoint p, float s) { return D2D1::Point2F(p.x * s, p.y * s); }
inline D2D1_RECT_F Px(UnitRect r, float s) { return D2D1::RectF(r.left * s, r.top * s, r.right * s, r.bottom * s); }

ComPtr<ID2D1SolidColorBrush> SolidBrush(ID2D1DeviceContext* context, D2D1_COLOR_F color);

// A gradient in unit coordinates, scaled by s.
ComPtr<ID2D1LinearGradientBrush> UnitGradient(ID2D1DeviceContext* context, float s, UnitPoint start, UnitPoint end,
                                              D2D1_COLOR_F top, D2D1_COLOR_F bottom);

void FillRoundRect(ID2D1DeviceContext* context, ID2D1Brush* brush, UnitRect rect, float radius, float s);
void FillCircle(ID2D1DeviceContext* context, ID2D1Brush* brush, UnitPoint centre, float radius, float s);
void FillEllipse(ID2D1DeviceContext* context, ID2D1Brush* brush, UnitPoint centre, float rx, float ry, float s);

// A tile plate filled with a vertical gradient from (0, 0.08) to (0, 0.92).
void DrawGradientPlate(ID2D1DeviceContext* context, float s, D2D1_COLOR_F top, D2D1_COLOR_F bottom);

// A line with round caps of the given pixel width. The caps are drawn as half
// discs beside a flat-capped line, so they look the same on every Direct2D
// (some implementations ignore cap styles) and never overlap the line itself.
void DrawRoundLine(ID2D1DeviceContext* context, ID2D1Brush* brush, UnitPoint from, UnitPoint to, float width, float s);

// Builds one path figure in pixels; Finish() closes the sink and returns the
// geometry, or null when any step failed.
class PathBuilder {
public:
    PathBuilder(ID2D1Factory* factory, float s, UnitPoint start, bool filled);
    PathBuilder& LineTo(UnitPoint p);
    PathBuilder& BezierTo(UnitPoint c1, UnitPoint c2, UnitPoint end);
    // A quarter circle of the given radius from the current point to end.
    PathBuilder& QuarterArcTo(UnitPoint corner, UnitPoint end);
    ComPtr<ID2D1PathGeometry> Finish(bool closed);

private:
    float s_;
    UnitPoint current_;
    ComPtr<ID2D1PathGeometry> path_;
    ComPtr<ID2D1GeometrySink> sink_;
};

// A stroke style with flat caps and round joins; the round caps come from
// DrawRoundLine / DrawRoundCaps.
ComPtr<ID2D1StrokeStyle> RoundJoinStrokeStyle(ID2D1Factory* factory);

// The half-disc cap at `end` for a stroke arriving from `from`.
void DrawRoundCap(ID2D1DeviceContext* context, ID2D1Brush* brush, UnitPoint from, UnitPoint end, float width, float s);

}  // namespace icon_drawing
