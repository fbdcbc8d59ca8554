#include "apps/IconDrawingHelpers.h"

#include "apps/BuiltinIcons.h"

#include <algorithm>
#include <cmath>

namespace icon_drawing {

namespace {

// Control-point distance of a cubic Bezier that follows a quarter circle.
constexpr float kQuarterArc = 0.5522847f;

}  // namespace

ComPtr<ID2D1SolidColorBrush> SolidBrush(ID2D1DeviceContext* context, D2D1_COLOR_F color) {
    ComPtr<ID2D1SolidColorBrush> brush;
    if (FAILED(context->CreateSolidColorBrush(color, &brush))) return nullptr;
    return brush;
}

ComPtr<ID2D1LinearGradientBrush> UnitGradient(ID2D1DeviceContext* context, float s, UnitPoint start, UnitPoint end,
                                              D2D1_COLOR_F top, D2D1_COLOR_F bottom) {
    return MakeLinearGradientBrush(context, Px(start, s), Px(end, s), top, bottom);
}

void FillRoundRect(ID2D1DeviceContext* context, ID2D1Brush* brush, UnitRect rect, float radius, float s) {
    if (!brush) return;
    context->FillRoundedRectangle(D2D1::RoundedRect(Px(rect, s), radius * s, radius * s), brush);
}

void FillCircle(ID2D1DeviceContext* context, ID2D1Brush* brush, UnitPoint centre, float radius, float s) {
    FillEllipse(context, brush, centre, radius, radius, s);
}

void FillEllipse(ID2D1DeviceContext* context, ID2D1Brush* brush, UnitPoint centre, float rx, float ry, float s) {
    if (!brush) return;
    context->FillEllipse(D2D1::Ellipse(Px(centre, s), rx * s, ry * s), brush);
}

void DrawGradientPlate(ID2D1DeviceContext* context, float s, D2D1_COLOR_F top, D2D1_COLOR_F bottom) {
    auto fill = UnitGradient(context, s, {0, 0.08f}, {0, 0.92f}, top, bottom);
    DrawIconTilePlate(context, s, fill.Get());
}

void DrawRoundCap(ID2D1DeviceContext* context, ID2D1Brush* brush, UnitPoint from, UnitPoint end, float width, float s) {
    if (!brush) return;
    float dx = (end.x - from.x) * s;
    float dy = (end.y - from.y) * s;
    float length = std::sqrt(dx * dx + dy * dy);
    if (length <= 0) return;
    const float h = width / 2;
    dx = dx / length * h;  // outward, half the width long
    dy = dy / length * h;
    const float nx = -dy;  // across the stroke
    const float ny = dx;
    const D2D1_POINT_2F p = Px(end, s);
    const D2D1_POINT_2F a = {p.x + nx, p.y + ny};
    const D2D1_POINT_2F tip = {p.x + dx, p.y + dy};
    const D2D1_POINT_2F b = {p.x - nx, p.y - ny};

    ComPtr<ID2D1Factory> factory;
    context->GetFactory(&factory);
    ComPtr<ID2D1PathGeometry> path;
    ComPtr<ID2D1GeometrySink> sink;
    if (!factory || FAILED(factory->CreatePathGeometry(&path)) || FAILED(path->Open(&sink))) return;
    const float k = kQuarterArc;
    sink->BeginFigure(a, D2D1_FIGURE_BEGIN_FILLED);
    sink->AddBezier(D2D1::BezierSegment({a.x + dx * k, a.y + dy * k}, {tip.x + nx * k, tip.y + ny * k}, tip));
    sink->AddBezier(D2D1::BezierSegment({tip.x - nx * k, tip.y - ny * k}, {b.x + dx * k, b.y + dy * k}, b));
    sink->EndFigure(D2D1_FIGURE_END_CLOSED);
    if (FAILED(sink->Close())) return;
    context->FillGeometry(path.Get(), brush);
}

void DrawRoundLine(ID2D1DeviceContext* context, ID2D1Brush* brush, UnitPoint from, UnitPoint to, float width, float s) {
    if (!brush) return;
    context->DrawLine(Px(from, s), Px(to, s), brush, width);
    DrawRoundCap(context, brush, to, from, width, s);
    DrawRoundCap(context, brush, from, to, width, s);
}

ComPtr<ID2D1StrokeStyle> RoundJoinStrokeStyle(ID2D1Factory* factory) {
    ComPtr<ID2D1StrokeStyle> style;
    if (!factory) return nullptr;
    const auto props = D2D1::StrokeStyleProperties(D2D1_CAP_STYLE_FLAT, D2D1_CAP_STYLE_FLAT, D2D1_CAP_STYLE_FLAT,
                                                   D2D1_LINE_JOIN_ROUND, 10.0f, D2D1_DASH_STYLE_SOLID, 0.0f);
    if (FAILED(factory->CreateStrokeStyle(props, nullptr, 0, &style))) return nullptr;
    return style;
}

PathBuilder::PathBuilder(ID2D1Factory* factory, float s, UnitPoint start, bool filled) : s_(s), current_(start) {
    if (!factory || FAILED(factory->CreatePathGeometry(&path_)) || FAILED(path_->Open(&sink_))) {
        path_.Reset();
        sink_.Reset();
        return;
    }
    sink_->BeginFigure(Px(start, s_), filled ? D2D1_FIGURE_BEGIN_FILLED : D2D1_FIGURE_BEGIN_HOLLOW);
}

PathBuilder& PathBuilder::LineTo(UnitPoint p) {
    if (sink_) sink_->AddLine(Px(p, s_));
    current_ = p;
    return *this;
}

PathBuilder& PathBuilder::BezierTo(UnitPoint c1, UnitPoint c2, UnitPoint end) {
    if (sink_) sink_->AddBezier(D2D1::BezierSegment(Px(c1, s_), Px(c2, s_), Px(end, s_)));
    current_ = end;
    return *this;
}

PathBuilder& PathBuilder::QuarterArcTo(UnitPoint corner, UnitPoint end) {
    const float k = kQuarterArc;
    UnitPoint c1 = {current_.x + (corner.x - current_.x) * k, current_.y + (corner.y - current_.y) * k};
    UnitPoint c2 = {end.x + (corner.x - end.x) * k, end.y + (corner.y - end.y) * k};
    return BezierTo(c1, c2, end);
}

ComPtr<ID2D1PathGeometry> PathBuilder::Finish(bool closed) {
    if (!sink_) return nullptr;
    sink_->EndFigure(closed ? D2D1_FIGURE_END_CLOSED : D2D1_FIGURE_END_OPEN);
    HRESULT hr = sink_->Close();
    sink_.Reset();
    if (FAILED(hr)) return nullptr;
    return path_;
}

}  // namespace icon_drawing

using namespace icon_drawing;

ComPtr<ID2D1LinearGradientBrush> MakeLinearGradientBrush(ID2D1DeviceContext* context, D2D1_POINT_2F start,
                                                         D2D1_POINT_2F end, D2D1_COLOR_F color0, D2D1_COLOR_F color1) {
    if (!context) return nullptr;
    const D2D1_GRADIENT_STOP stops[2] = {{0.0f, color0}, {1.0f, color1}};
    ComPtr<ID2D1GradientStopCollection> collection;
    if (FAILED(context->CreateGradientStopCollection(stops, 2, D2D1_GAMMA_2_2, D2D1_EXTEND_MODE_CLAMP, &collection))) {
        return nullptr;
    }
    ComPtr<ID2D1LinearGradientBrush> brush;
    if (FAILED(context->CreateLinearGradientBrush(D2D1::LinearGradientBrushProperties(start, end), collection.Get(),
                                                  &brush))) {
        return nullptr;
    }
    return brush;
}

void DrawIconTilePlate(ID2D1DeviceContext* context, float s, ID2D1Brush* fill) {
    if (!context) return;
    const float i = 0.08f * s;
    const float e = s - i;
    const float r = 0.225f * s;
    // Widest and faintest shadow first, so the darker ones sit on top.
    for (int d = 3; d >= 1; --d) {
        const int k = 4 - d;
        auto shadow = SolidBrush(context, Rgba(0, 0, 0, 0.055f * k));
        if (!shadow) continue;
        const float f = 0.01f * d * s;
        const float g = 0.011f * d * s;
        context->FillRoundedRectangle(
            D2D1::RoundedRect(D2D1::RectF(i - f, i - 0.3f * f + g, e + f, e + f + g), r + f, r + f), shadow.Get());
    }
    if (fill) context->FillRoundedRectangle(D2D1::RoundedRect(D2D1::RectF(i, i, e, e), r, r), fill);
    const float m = std::max(0.008f * s, 0.8f);
    auto rim = MakeLinearGradientBrush(context, D2D1::Point2F(0, i), D2D1::Point2F(0, e), Rgba(1, 1, 1, 0.44f),
                                       Rgba(0, 0, 0, 0.16f));
    if (rim) {
        context->DrawRoundedRectangle(D2D1::RoundedRect(D2D1::RectF(i + m, i + m, e - m, e - m), r - m, r - m),
                                      rim.Get(), std::max(0.012f * s, 1.0f));
    }
}
