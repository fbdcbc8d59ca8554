// The control center's face: the grid of quick tiles with their glyphs, the
// brightness and volume modules below it, or the hint when nothing is chosen.

#include <cmath>
#include <cstdio>
#include <optional>

#include "render/ArcLines.h"
#include "render/GraphicsDevice.h"
#include "topbar/ControlCenterGrid.h"
#include "topbar/ControlCenterTiles.h"
#include "topbar/PopoverHitId.h"
#include "topbar/PopoverPen.h"
#include "topbar/PopoverTexts.h"
#include "topbar/TopBarPopover.h"

using Microsoft::WRL::ComPtr;

namespace {

// Glyph measures are DIP around the circle's centre, drawn in pixels.
struct GlyphPen {
    ID2D1DeviceContext* context;
    ID2D1Factory* factory;
    float cx, cy, s;
    ID2D1Brush* brush;

    D2D1_POINT_2F At(float x, float y) const { return D2D1::Point2F(cx + x * s, cy + y * s); }
    D2D1_RECT_F Box(float l, float t, float r, float b) const {
        return D2D1::RectF(cx + l * s, cy + t * s, cx + r * s, cy + b * s);
    }
    void Line(float x0, float y0, float x1, float y1, float stroke) const {
        context->DrawLine(At(x0, y0), At(x1, y1), brush, stroke * s);
    }
    void Dot(float x, float y, float radius) const {
        context->FillEllipse(D2D1::Ellipse(At(x, y), radius * s, radius * s), brush);
    }
    void Ring(float radius, float stroke) const {
        context->DrawEllipse(D2D1::Ellipse(At(0, 0), radius * s, radius * s), brush, stroke * s);
    }
    void Frame(float l, float t, float r, float b, float radius, float stroke) const {
        context->DrawRoundedRectangle(D2D1::RoundedRect(Box(l, t, r, b), radius * s, radius * s), brush, stroke * s);
    }
    void Block(float l, float t, float r, float b, float radius) const {
        context->FillRoundedRectangle(D2D1::RoundedRect(Box(l, t, r, b), radius * s, radius * s), brush);
    }
    void Arc(float x0, float y0, float x1, float y1, float radius, float stroke) const {
        DrawPopoverArc(context, factory, At(x0, y0), At(x1, y1), radius * s, brush, stroke * s);
    }
};

void DrawPowerBolt(const GlyphPen& g) {
    if (!g.factory) return;
    ComPtr<ID2D1PathGeometry> path;
    ComPtr<ID2D1GeometrySink> sink;
    if (FAILED(g.factory->CreatePathGeometry(&path)) || FAILED(path->Open(&sink))) return;
    const float points[6][2] = {{1.2f, -6.8f}, {-4.2f, 0.6f}, {-0.3f, 0.6f},
                                {-1.5f, 6.8f}, {4.4f, -0.8f}, {0.5f, -0.8f}};
    sink->BeginFigure(g.At(points[0][0], points[0][1]), D2D1_FIGURE_BEGIN_FILLED);
    for (int i = 1; i < 6; ++i) sink->AddLine(g.At(points[i][0], points[i][1]));
    sink->EndFigure(D2D1_FIGURE_END_CLOSED);
    if (SUCCEEDED(sink->Close())) g.context->FillGeometry(path.Get(), g.brush);
}

// The right half of a disc of radius 6: the arc is laid as lines because a
// filled arc segment is not drawn everywhere we run.
void DrawHalfDisc(const GlyphPen& g) {
    if (!g.factory) return;
    ComPtr<ID2D1PathGeometry> path;
    ComPtr<ID2D1GeometrySink> sink;
    if (FAILED(g.factory->CreatePathGeometry(&path)) || FAILED(path->Open(&sink))) return;
    sink->BeginFigure(g.At(0, -6), D2D1_FIGURE_BEGIN_FILLED);
    AddSmallClockwiseArcLines(sink.Get(), g.At(0, -6), g.At(0, 6), 6 * g.s);
    sink->EndFigure(D2D1_FIGURE_END_CLOSED);
    if (SUCCEEDED(sink->Close())) g.context->FillGeometry(path.Get(), g.brush);
}

void DrawTileGlyph(const GlyphPen& g, ControlCenterTile tile) {
    switch (tile) {
        case ControlCenterTile::Wifi:
            DrawPopoverWifiGlyph(g.context, g.factory, g.cx, g.cy + 0.5f * g.s, 0.85f * g.s, 100, g.brush, g.brush);
            break;
        case ControlCenterTile::Bluetooth:
            g.Line(0, -5.2f, 0, 5.2f, 1.45f);
            g.Line(0, -5.2f, 3.2f, -2.3f, 1.45f);
            g.Line(3.2f, -2.3f, -2.8f, 2.3f, 1.45f);
            g.Line(0, 5.2f, 3.2f, 2.3f, 1.45f);
            g.Line(3.2f, 2.3f, -2.8f, -2.3f, 1.45f);
            break;
        case ControlCenterTile::Snip:
            for (const float x : {-5.0f, 5.0f}) {
                for (const float y : {-5.0f, 5.0f}) {
                    const float inward = 2.6f;
                    g.Line(x, y, x - std::copysign(inward, x), y, 1.45f);
                    g.Line(x, y, x, y - std::copysign(inward, y), 1.45f);
                }
            }
            g.Dot(0, 0, 1.6f);
            break;
        case ControlCenterTile::Lock:
            g.Frame(-4.4f, -1.2f, 4.4f, 5.4f, 1.6f, 1.4f);
            g.Arc(-2.8f, -1.2f, 2.8f, -1.2f, 2.9f, 1.4f);
            break;
        case ControlCenterTile::KeepAwake:
            g.Dot(0, 0, 3.4f);
            for (int i = 0; i < 8; ++i) {
                const float a = static_cast<float>(i) * 0.785398163f;
                const float dx = std::cos(a), dy = std::sin(a);
                g.Line(5 * dx, 5 * dy, 7.2f * dx, 7.2f * dy, 1.35f);
            }
            break;
        case ControlCenterTile::PowerMode:
            DrawPowerBolt(g);
            break;
        case ControlCenterTile::Hotspot:
            // Each arc bows away from the dot: the left ones run from their
            // lower end, the right ones from their upper end, turning clockwise.
            g.Dot(0, 0, 1.7f);
            g.Arc(-2.9f, 3, -2.9f, -3, 4.2f, 1.35f);
            g.Arc(2.9f, -3, 2.9f, 3, 4.2f, 1.35f);
            g.Arc(-4.8f, 5, -4.8f, -5, 7, 1.35f);
            g.Arc(4.8f, -5, 4.8f, 5, 7, 1.35f);
            break;
        case ControlCenterTile::Project:
            g.Frame(-6.8f, -4.6f, 1.8f, 2, 1.2f, 1.35f);
            g.Frame(-1.8f, -1.8f, 6.8f, 4.8f, 1.2f, 1.35f);
            break;
        case ControlCenterTile::ScreenOff:
            g.Frame(-6.4f, -4.6f, 6.4f, 3.4f, 1.4f, 1.35f);
            g.Line(-3, 5.6f, 3, 5.6f, 1.4f);
            g.Line(-4.8f, -5.4f, 4.8f, 4.2f, 1.5f);
            break;
        case ControlCenterTile::ThemeMode:
            g.Ring(6.2f, 1.45f);
            DrawHalfDisc(g);
            break;
        case ControlCenterTile::DesktopIcons:
            for (const float x : {-5.0f, 0.8f}) {
                for (const float y : {-5.0f, 0.8f}) g.Block(x, y, x + 4.2f, y + 4.2f, 1.1f);
            }
            break;
        case ControlCenterTile::Unknown:
            break;
    }
}

std::wstring Percent(int value) {
    wchar_t text[16] = {};
    _snwprintf(text, 15, L"%d%%", value);
    return text;
}

// A module's card and title; the caller adds its reading and slider.
void ModuleCard(const PopoverPen& pen, const PopoverRectF& card, const wchar_t* title, float titleRight) {
    const PopoverPalette& c = pen.palette;
    pen.Card(card.left, card.top, card.right, card.bottom, 12, c.card.Get());
    pen.Outline(card.left, card.top, card.right, card.bottom, 12, c.border.Get());
    pen.Text(title, c.body.Get(), kLeading, 26, card.top + 6, titleRight, card.top + 26, c.text.Get());
}

void Slider(const PopoverPen& pen, const PopoverRectF& track, std::optional<float> value) {
    pen.Slider(track.left, track.top, track.right, track.bottom, value);
}

}  // namespace

void PaintControlCenter(const PopoverPen& pen, bool dark) {
    TopBarPopover& p = pen.popover;
    const PopoverPalette& c = pen.palette;
    const float w = p.width, h = p.height;
    const std::vector<std::wstring>& keys = p.config.controlCenterTiles;
    const ControlCenterLayout layout =
        LayoutControlCenter(w, keys.size(), p.config.ccShowBrightness, p.config.ccShowVolume);

    ControlCenterTileState state = p.TileState();
    state.darkGlass = dark;
    for (size_t i = 0; i < keys.size() && i < layout.tiles.size(); ++i) {
        const ControlCenterTileFace face = ControlCenterTileFaceFor(keys[i], state);
        const PopoverRectF& tile = layout.tiles[i];
        p.DrawTile(pen.context, c, tile.left, tile.top, tile.right - tile.left, face.active, face.title, face.status,
                   static_cast<int32_t>(i), keys[i]);
    }

    if (layout.hasBrightness) {
        const PopoverRectF& card = layout.brightnessCard;
        ModuleCard(pen, card, L"显示器亮度", 134);
        const PopoverRectF& track = layout.brightnessTrack;
        if (p.awaitingAnswer) {
            // Neither a level nor whether the display takes one: no hit either.
            pen.Text(kPopoverBeingRead, c.smallText.Get(), kTrailing, w - 74, card.top + 6, w - 26, card.top + 26,
                     c.secondaryText.Get());
            Slider(pen, track, std::nullopt);
        } else if (p.brightness.supported) {
            pen.Text(Percent(p.brightness.percent), c.smallText.Get(), kTrailing, w - 74, card.top + 6, w - 26,
                     card.top + 26, c.secondaryText.Get());
            p.brightnessTrack = D2D1::RectF(track.left, track.top, track.right, track.bottom);
            p.AddHit(kPopoverHitBrightnessTrack, track.left, track.top, track.right, track.bottom);
            Slider(pen, track, static_cast<float>(p.brightness.percent) / 100.0f);
        } else {
            pen.Text(L"当前显示器不支持 DDC 亮度调节", c.smallText.Get(), kLeading, track.left, track.top, track.right,
                     track.bottom, c.secondaryText.Get());
        }
    }
    if (layout.hasVolume) {
        const PopoverRectF& card = layout.volumeCard;
        ModuleCard(pen, card, L"声音", 94);
        const std::wstring level = p.awaitingAnswer ? std::wstring(kPopoverBeingRead)
                                   : p.muted        ? std::wstring(L"已静音")
                                                    : Percent(static_cast<int>(std::lround(p.volume * 100)));
        pen.Text(level, c.smallText.Get(), kTrailing, w - 94, card.top + 6, w - 26, card.top + 26,
                 c.secondaryText.Get());
        const PopoverRectF& track = layout.volumeTrack;
        if (p.awaitingAnswer) {
            Slider(pen, track, std::nullopt);
        } else {
            p.volumeTrack = D2D1::RectF(track.left, track.top, track.right, track.bottom);
            p.AddHit(kPopoverHitVolumeTrack, track.left, track.top, track.right, track.bottom);
            Slider(pen, track, p.muted ? 0.0f : p.volume);
        }
    }
    if (keys.empty() && !layout.hasBrightness && !layout.hasVolume) {
        pen.Text(L"请在偏好设置 -> 控制中心中勾选开关", c.smallText.Get(), kCentre, 14, 14, w - 14, h - 14,
                 c.secondaryText.Get());
    }
}

ControlCenterTileState TopBarPopover::TileState() const {
    ControlCenterTileState state;
    state.wifiRadioOn = wifi.radioOn;
    state.wifiConnected = wifi.connected;
    state.wifiSsid = wifi.connectedSsid;
    state.bluetoothPresent = bluetooth.radioPresent;
    state.bluetoothOn = bluetooth.radioOn;
    state.keepAwake = keepAwake;
    state.powerSchemeName = powerMode.name;
    state.highPerformance = powerMode.highPerformance;
    state.hotspotAvailable = hotspot.available;
    state.hotspotOn = hotspot.on;
    state.hotspotClients = hotspot.clientCount;
    state.hotspotSwitching = hotspotSwitching;
    state.hotspotTarget = hotspotTarget;
    state.darkGlass = glass.dark;
    state.desktopIconsVisible = desktopIconsVisible;
    state.reading = awaitingAnswer;
    state.wifiStale = wifi.radioStale;
    state.bluetoothStale = bluetooth.radioStale;
    state.hotspotStale = hotspot.stale;
    return state;
}

void TopBarPopover::DrawTile(ID2D1DeviceContext* context, const PopoverPalette& palette, float x, float y,
                             float tileWidth, bool active, const std::wstring& title, const std::wstring& status,
                             int32_t index, const std::wstring& key) {
    const PopoverPen pen{*this, context, device ? device->d2dFactory.Get() : nullptr, palette};
    const bool hovered = IsHovered(kPopoverHitTile, index);
    pen.Card(x, y, x + tileWidth, y + 56, 12, hovered ? palette.hover.Get() : palette.card.Get());
    pen.Outline(x, y, x + tileWidth, y + 56, 12, palette.border.Get());
    AddHit(kPopoverHitTile, x, y, x + tileWidth, y + 56, index);
    pen.Dot(x + 23, y + 28, 15, active ? palette.accent.Get() : palette.dim.Get());
    if (ID2D1Brush* glyph = active ? palette.white.Get() : palette.text.Get()) {
        const GlyphPen g{context, pen.factory, ScaleValue(x + 23), ScaleValue(y + 28), scale, glyph};
        DrawTileGlyph(g, ControlCenterTileFor(key));
    }
    pen.Text(title, palette.body.Get(), kLeading, x + 44, y + 8, x + tileWidth - 8, y + 28, palette.text.Get());
    pen.Text(status, palette.smallText.Get(), kLeading, x + 44, y + 28, x + tileWidth - 8, y + 48,
             palette.secondaryText.Get());
}
