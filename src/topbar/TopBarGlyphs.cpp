#include "topbar/TopBarGlyphs.h"

#include <wrl/client.h>

#include <algorithm>
#include <initializer_list>

#include "render/ArcLines.h"

using Microsoft::WRL::ComPtr;

SpeakerGlyphState SpeakerGlyphFor(float volume, bool muted) {
    SpeakerGlyphState state;
    if (muted || volume < 0.01f) {
        state.cross = true;
        return state;
    }
    state.waves = (volume > 0.01f ? 1 : 0) + (volume > 0.35f ? 1 : 0) + (volume > 0.7f ? 1 : 0);
    return state;
}

NetworkGlyph NetworkGlyphFor(bool ethernetConnected, bool wifiConnected) {
    if (ethernetConnected && !wifiConnected) return NetworkGlyph::Ethernet;
    return wifiConnected ? NetworkGlyph::WifiConnected : NetworkGlyph::WifiDisconnected;
}

BatteryGauge BatteryGaugeFor(uint32_t percent, bool acOnline) {
    BatteryGauge gauge;
    gauge.fraction = std::clamp(static_cast<float>(percent) / 100.0f, 0.05f, 1.0f);
    gauge.brush =
        acOnline ? BatteryFillBrush::Charging : (percent <= 20 ? BatteryFillBrush::Alert : BatteryFillBrush::Text);
    return gauge;
}

namespace {

D2D1_POINT_2F At(float x, float y, float k, float dx, float dy) { return D2D1::Point2F(x + dx * k, y + dy * k); }

struct Bezier {
    float c1x, c1y, c2x, c2y, ex, ey;
};

// One open sink for a geometry; null when the factory cannot make it.
ComPtr<ID2D1PathGeometry> OpenPath(ID2D1Factory* factory, ComPtr<ID2D1GeometrySink>& sink) {
    ComPtr<ID2D1PathGeometry> path;
    if (!factory || FAILED(factory->CreatePathGeometry(&path)) || FAILED(path->Open(&sink))) return nullptr;
    return path;
}

void AddBeziers(ID2D1GeometrySink* sink, float x, float y, float k, std::initializer_list<Bezier> curves) {
    for (const auto& c : curves) {
        sink->AddBezier(
            D2D1::BezierSegment(At(x, y, k, c.c1x, c.c1y), At(x, y, k, c.c2x, c.c2y), At(x, y, k, c.ex, c.ey)));
    }
}

void Line(ID2D1DeviceContext* context, float x, float y, float s, float x0, float y0, float x1, float y1,
          ID2D1Brush* brush, float width) {
    context->DrawLine(At(x, y, s, x0, y0), At(x, y, s, x1, y1), brush, width);
}

}  // namespace

void DrawTopBarLogoGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float x, float y, float k,
                         ID2D1Brush* brush) {
    ComPtr<ID2D1GeometrySink> sink;
    ComPtr<ID2D1PathGeometry> path = OpenPath(factory, sink);
    if (!path) return;
    sink->SetFillMode(D2D1_FILL_MODE_WINDING);
    sink->BeginFigure(At(x, y, k, 0.0f, -0.24f), D2D1_FIGURE_BEGIN_FILLED);
    AddBeziers(sink.Get(), x, y, k,
               {{0.14f, -0.34f, 0.44f, -0.31f, 0.44f, -0.02f},
                {0.44f, 0.28f, 0.26f, 0.48f, 0.11f, 0.48f},
                {0.05f, 0.48f, 0.03f, 0.43f, 0.0f, 0.43f},
                {-0.03f, 0.43f, -0.05f, 0.48f, -0.11f, 0.48f},
                {-0.26f, 0.48f, -0.44f, 0.28f, -0.44f, -0.02f},
                {-0.44f, -0.31f, -0.14f, -0.34f, 0.0f, -0.24f}});
    sink->EndFigure(D2D1_FIGURE_END_CLOSED);
    sink->BeginFigure(At(x, y, k, -0.01f, -0.31f), D2D1_FIGURE_BEGIN_FILLED);
    AddBeziers(sink.Get(), x, y, k,
               {{-0.02f, -0.47f, 0.1f, -0.56f, 0.22f, -0.55f}, {0.23f, -0.42f, 0.12f, -0.31f, -0.01f, -0.31f}});
    sink->EndFigure(D2D1_FIGURE_END_CLOSED);
    if (FAILED(sink->Close())) return;
    context->FillGeometry(path.Get(), brush);
}

void DrawTopBarArc(ID2D1DeviceContext* context, ID2D1Factory* factory, D2D1_POINT_2F from, D2D1_POINT_2F to,
                   float radius, ID2D1Brush* brush, float width) {
    ComPtr<ID2D1GeometrySink> sink;
    ComPtr<ID2D1PathGeometry> path = OpenPath(factory, sink);
    if (!path) return;
    sink->BeginFigure(from, D2D1_FIGURE_BEGIN_HOLLOW);
    AddSmallClockwiseArcLines(sink.Get(), from, to, radius);
    sink->EndFigure(D2D1_FIGURE_END_OPEN);
    if (FAILED(sink->Close())) return;
    context->DrawGeometry(path.Get(), brush, width);
}

void DrawTopBarSpeakerGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float x, float y, float s, float volume,
                            bool muted, ID2D1Brush* brush) {
    ComPtr<ID2D1GeometrySink> sink;
    ComPtr<ID2D1PathGeometry> path = OpenPath(factory, sink);
    if (!path) return;
    sink->BeginFigure(At(x, y, s, -7.2f, -2.4f), D2D1_FIGURE_BEGIN_FILLED);
    const float body[5][2] = {{-4.4f, -2.4f}, {-0.8f, -5.4f}, {-0.8f, 5.4f}, {-4.4f, 2.4f}, {-7.2f, 2.4f}};
    for (const auto& point : body) sink->AddLine(At(x, y, s, point[0], point[1]));
    sink->EndFigure(D2D1_FIGURE_END_CLOSED);
    if (FAILED(sink->Close())) return;
    context->FillGeometry(path.Get(), brush);

    const SpeakerGlyphState state = SpeakerGlyphFor(volume, muted);
    const float width = 1.65f * s;
    if (state.cross) {
        Line(context, x, y, s, 1.3f, -2.5f, 6.3f, 2.5f, brush, width);
        Line(context, x, y, s, 6.3f, -2.5f, 1.3f, 2.5f, brush, width);
        return;
    }
    const float wx = x - 0.4f * s;
    const float waves[3][3] = {{1.8f, 2.7f, 3.4f}, {3.9f, 4.4f, 5.8f}, {6.0f, 6.1f, 8.2f}};
    for (int i = 0; i < state.waves; ++i) {
        DrawTopBarArc(context, factory, At(wx, y, s, waves[i][0], -waves[i][1]), At(wx, y, s, waves[i][0], waves[i][1]),
                      waves[i][2] * s, brush, width);
    }
}

void DrawTopBarWifiGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float x, float y, float s, bool connected,
                         ID2D1Brush* onBrush, ID2D1Brush* offBrush) {
    ID2D1Brush* brush = connected ? onBrush : offBrush;
    const float b = y + 4.8f * s;
    context->FillEllipse(D2D1::Ellipse(D2D1::Point2F(x, b - s), 1.4f * s, 1.4f * s), brush);
    const float arcs[3][3] = {{2.6f, 3.7f, 3.6f}, {5.0f, 6.1f, 7.0f}, {7.4f, 8.5f, 10.4f}};
    for (const auto& arc : arcs) {
        DrawTopBarArc(context, factory, D2D1::Point2F(x - arc[0] * s, b - arc[1] * s),
                      D2D1::Point2F(x + arc[0] * s, b - arc[1] * s), arc[2] * s, brush, 1.65f * s);
    }
    if (!connected) Line(context, x, y, s, -6.5f, -5.2f, 6.5f, 5.4f, onBrush, 1.65f * s);
}

void DrawTopBarEthernetGlyph(ID2D1DeviceContext* context, float x, float y, float s, ID2D1Brush* brush) {
    context->DrawRoundedRectangle(
        D2D1::RoundedRect(D2D1::RectF(x - 6.5f * s, y - 5.2f * s, x + 6.5f * s, y + 4.2f * s), 2.0f * s, 2.0f * s),
        brush, 1.55f * s);
    context->FillRectangle(D2D1::RectF(x - 2.8f * s, y + 4.2f * s, x + 2.8f * s, y + 6.0f * s), brush);
    for (float dx : {-2.6f, 0.0f, 2.6f}) Line(context, x, y, s, dx, -5.0f, dx, -1.8f, brush, 1.3f * s);
}

void DrawTopBarBluetoothGlyph(ID2D1DeviceContext* context, float x, float y, float s, ID2D1Brush* brush) {
    const float w = 1.55f * s;
    Line(context, x, y, s, 0.0f, -6.0f, 0.0f, 6.0f, brush, w);
    Line(context, x, y, s, 0.0f, -6.0f, 3.6f, -2.8f, brush, w);
    Line(context, x, y, s, 3.6f, -2.8f, -3.2f, 2.8f, brush, w);
    Line(context, x, y, s, 0.0f, 6.0f, 3.6f, 2.8f, brush, w);
    Line(context, x, y, s, 3.6f, 2.8f, -3.2f, -2.8f, brush, w);
}

void DrawTopBarNotificationGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float x, float y, float s,
                                 ID2D1Brush* brush) {
    ComPtr<ID2D1GeometrySink> sink;
    ComPtr<ID2D1PathGeometry> path = OpenPath(factory, sink);
    if (!path) return;
    context->FillEllipse(D2D1::Ellipse(At(x, y, s, 0.0f, -5.6f), 1.35f * s, 1.35f * s), brush);
    sink->SetFillMode(D2D1_FILL_MODE_WINDING);
    sink->BeginFigure(At(x, y, s, 0.0f, -5.2f), D2D1_FIGURE_BEGIN_FILLED);
    AddBeziers(sink.Get(), x, y, s,
               {{2.9f, -5.15f, 4.2f, -3.0f, 4.2f, -0.4f},
                {4.2f, 1.4f, 5.0f, 2.15f, 5.7f, 2.7f},
                {5.9f, 3.15f, 5.55f, 3.4f, 5.1f, 3.4f}});
    sink->AddLine(At(x, y, s, -5.1f, 3.4f));
    AddBeziers(sink.Get(), x, y, s,
               {{-5.55f, 3.4f, -5.9f, 3.15f, -5.7f, 2.7f},
                {-5.0f, 2.15f, -4.2f, 1.4f, -4.2f, -0.4f},
                {-4.2f, -3.0f, -2.9f, -5.15f, 0.0f, -5.2f}});
    sink->EndFigure(D2D1_FIGURE_END_CLOSED);
    sink->BeginFigure(At(x, y, s, -1.85f, 4.35f), D2D1_FIGURE_BEGIN_FILLED);
    AddBeziers(sink.Get(), x, y, s, {{-1.55f, 6.45f, 1.55f, 6.45f, 1.85f, 4.35f}});
    sink->EndFigure(D2D1_FIGURE_END_CLOSED);
    if (FAILED(sink->Close())) return;
    context->FillGeometry(path.Get(), brush);
}
