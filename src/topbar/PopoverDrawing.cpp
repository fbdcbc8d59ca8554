#include "topbar/PopoverDrawing.h"

#include <algorithm>
#include <cmath>

#include "topbar/PopoverTexts.h"

using Microsoft::WRL::ComPtr;

namespace {

D2D1_COLOR_F Rgba(float r, float g, float b, float a) { return {r, g, b, a}; }

ComPtr<ID2D1SolidColorBrush> MakeBrush(ID2D1DeviceContext* context, D2D1_COLOR_F color) {
    ComPtr<ID2D1SolidColorBrush> brush;
    if (FAILED(context->CreateSolidColorBrush(color, &brush))) return nullptr;
    return brush;
}

ComPtr<IDWriteTextFormat> MakeFormat(IDWriteFactory* factory, float size, DWRITE_FONT_WEIGHT weight) {
    ComPtr<IDWriteTextFormat> format;
    if (FAILED(factory->CreateTextFormat(L"Microsoft YaHei UI", nullptr, weight, DWRITE_FONT_STYLE_NORMAL,
                                         DWRITE_FONT_STRETCH_NORMAL, size, L"zh-CN", &format))) {
        return nullptr;
    }
    DWRITE_TRIMMING trimming = {DWRITE_TRIMMING_GRANULARITY_CHARACTER, 0, 0};
    ComPtr<IDWriteInlineObject> ellipsis;
    if (SUCCEEDED(factory->CreateEllipsisTrimmingSign(format.Get(), &ellipsis))) {
        format->SetTrimming(&trimming, ellipsis.Get());
    }
    SetPopoverTextAlign(format.Get(), DWRITE_TEXT_ALIGNMENT_LEADING);
    return format;
}

}  // namespace

PopoverPaletteColors PopoverPaletteColorsFor(bool dark) {
    PopoverPaletteColors c;
    c.text = dark ? Rgba(0.98f, 0.99f, 1.0f, 0.98f) : Rgba(0.04f, 0.06f, 0.09f, 0.98f);
    c.secondaryText = dark ? Rgba(0.76f, 0.80f, 0.88f, 0.78f) : Rgba(0.22f, 0.26f, 0.34f, 0.84f);
    c.card = dark ? Rgba(1, 1, 1, 0.11f) : Rgba(1, 1, 1, 0.80f);
    c.hover = dark ? Rgba(1, 1, 1, 0.20f) : Rgba(0, 0, 0, 0.08f);
    c.border = dark ? Rgba(1, 1, 1, 0.16f) : Rgba(0, 0, 0, 0.08f);
    c.separator = dark ? Rgba(1, 1, 1, 0.14f) : Rgba(0, 0, 0, 0.09f);
    c.accent = Rgba(0.04f, 0.52f, 1.0f, 0.96f);
    c.dim = dark ? Rgba(1, 1, 1, 0.20f) : Rgba(0, 0, 0, 0.18f);
    c.white = Rgba(1, 1, 1, 0.99f);
    c.green = Rgba(0.18f, 0.80f, 0.44f, 0.96f);
    c.dangerTint = Rgba(0.92f, 0.24f, 0.22f, 0.16f);
    c.danger = dark ? Rgba(1.0f, 0.45f, 0.42f, 0.98f) : Rgba(0.80f, 0.10f, 0.12f, 0.98f);
    c.knob = Rgba(1, 1, 1, 0.99f);
    c.knobShadow = Rgba(0, 0, 0, 0.22f);
    c.track = dark ? Rgba(1, 1, 1, 0.16f) : Rgba(0, 0, 0, 0.12f);
    c.calendarFestival = dark ? Rgba(1.0f, 0.52f, 0.45f, 0.98f) : Rgba(0.84f, 0.18f, 0.16f, 0.96f);
    c.calendarTodayLunar = Rgba(1, 1, 1, 0.88f);
    return c;
}

void PopoverPalette::CreateBrushes(ID2D1DeviceContext* context, const PopoverPaletteColors& c) {
    text = MakeBrush(context, c.text);
    secondaryText = MakeBrush(context, c.secondaryText);
    card = MakeBrush(context, c.card);
    hover = MakeBrush(context, c.hover);
    border = MakeBrush(context, c.border);
    separator = MakeBrush(context, c.separator);
    accent = MakeBrush(context, c.accent);
    dim = MakeBrush(context, c.dim);
    white = MakeBrush(context, c.white);
    green = MakeBrush(context, c.green);
    dangerTint = MakeBrush(context, c.dangerTint);
    danger = MakeBrush(context, c.danger);
    knob = MakeBrush(context, c.knob);
    knobShadow = MakeBrush(context, c.knobShadow);
    track = MakeBrush(context, c.track);
    calendarFestival = MakeBrush(context, c.calendarFestival);
    calendarTodayLunar = MakeBrush(context, c.calendarTodayLunar);
}

void PopoverPalette::CreateFormats(IDWriteFactory* factory, float scale) {
    title = body = smallText = big = calendarDay = calendarLunar = nullptr;
    if (!factory) return;
    title = MakeFormat(factory, 14.0f * scale, DWRITE_FONT_WEIGHT_SEMI_BOLD);
    body = MakeFormat(factory, 12.8f * scale, DWRITE_FONT_WEIGHT_MEDIUM);
    smallText = MakeFormat(factory, 11.4f * scale, DWRITE_FONT_WEIGHT_NORMAL);
    big = MakeFormat(factory, 26.0f * scale, DWRITE_FONT_WEIGHT_SEMI_BOLD);
    calendarDay = MakeFormat(factory, 12.2f * scale, DWRITE_FONT_WEIGHT_MEDIUM);
    calendarLunar = MakeFormat(factory, 9.2f * scale, DWRITE_FONT_WEIGHT_NORMAL);
}

void PopoverPalette::Prepare(ID2D1DeviceContext* context, IDWriteFactory* factory, bool dark, float scale) {
    ComPtr<ID2D1Device> device;
    if (context) context->GetDevice(&device);
    if (!brushesMade || brushesDark != dark || brushDevice.Get() != device.Get()) {
        text = secondaryText = card = hover = border = separator = accent = dim = white = green = dangerTint = danger =
            knob = knobShadow = track = calendarFestival = calendarTodayLunar = nullptr;
        if (context) CreateBrushes(context, PopoverPaletteColorsFor(dark));
        brushDevice = device;
        brushesDark = dark;
        brushesMade = context != nullptr;
    }
    if (formatFactory.Get() != factory || formatScale != scale) {
        CreateFormats(factory, scale);
        formatFactory = factory;
        formatScale = scale;
    }
}

void SetPopoverTextAlign(IDWriteTextFormat* format, DWRITE_TEXT_ALIGNMENT alignment) {
    if (!format) return;
    format->SetTextAlignment(alignment);
    format->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_CENTER);
    format->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
}

void DrawPopoverArc(ID2D1DeviceContext* context, ID2D1Factory* factory, D2D1_POINT_2F start, D2D1_POINT_2F end,
                    float radius, ID2D1Brush* brush, float strokeWidth) {
    if (!context || !factory || !brush) return;
    ComPtr<ID2D1PathGeometry> path;
    ComPtr<ID2D1GeometrySink> sink;
    if (FAILED(factory->CreatePathGeometry(&path)) || FAILED(path->Open(&sink))) return;
    // Lines rather than an arc segment: not every Direct2D we run on strokes those.
    sink->BeginFigure(start, D2D1_FIGURE_BEGIN_HOLLOW);
    AddPopoverArcLines(sink.Get(), start, end, radius);
    sink->EndFigure(D2D1_FIGURE_END_OPEN);
    if (FAILED(sink->Close())) return;
    context->DrawGeometry(path.Get(), brush, strokeWidth);
}

void AddPopoverArcLines(ID2D1GeometrySink* sink, D2D1_POINT_2F from, D2D1_POINT_2F to, float radius) {
    const float dx = to.x - from.x, dy = to.y - from.y;
    const float half = 0.5f * std::sqrt(dx * dx + dy * dy);
    if (half <= 0.0f) return;
    // As an arc segment does, a radius too short for the chord grows to half of it.
    const float r = std::max(radius, half);
    const float h = std::sqrt(std::max(r * r - half * half, 0.0f));
    const float ux = dx / (2 * half), uy = dy / (2 * half);
    // Turning clockwise (towards growing angles with y down) along the smaller
    // arc puts the centre on the right of the chord's direction.
    const D2D1_POINT_2F centre = {from.x + dx / 2 - h * uy, from.y + dy / 2 + h * ux};
    constexpr float kFull = 6.28318530718f;
    const float start = std::atan2(from.y - centre.y, from.x - centre.x);
    float sweep = std::atan2(to.y - centre.y, to.x - centre.x) - start;
    while (sweep < 0) sweep += kFull;
    while (sweep >= kFull) sweep -= kFull;
    // Lines no further than a quarter pixel from the circle.
    const float maxStep = 2.0f * std::acos(std::max(1.0f - 0.25f / std::max(r, 0.5f), -1.0f));
    const int steps = std::max(1, static_cast<int>(std::ceil(sweep / std::max(maxStep, 0.01f))));
    for (int i = 1; i < steps; ++i) {
        const float a = start + sweep * static_cast<float>(i) / static_cast<float>(steps);
        sink->AddLine(D2D1::Point2F(centre.x + r * std::cos(a), centre.y + r * std::sin(a)));
    }
    sink->AddLine(to);
}

void DrawPopoverWifiGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float cx, float cy, float u,
                          uint32_t level, ID2D1Brush* on, ID2D1Brush* dim) {
    if (!context) return;
    if (on) context->FillEllipse(D2D1::Ellipse(D2D1::Point2F(cx, cy + 3.5f * u), 1.2f * u, 1.2f * u), on);
    struct Arc {
        float a, y, radius;
        uint32_t litFrom;
    };
    const Arc arcs[3] = {{2.3f, 1.1f, 3.2f, 20}, {4.4f, -1.0f, 6.2f, 50}, {6.5f, -3.1f, 9.2f, 75}};
    for (const Arc& arc : arcs) {
        const float y = cy + arc.y * u;
        DrawPopoverArc(context, factory, D2D1::Point2F(cx - arc.a * u, y), D2D1::Point2F(cx + arc.a * u, y),
                       arc.radius * u, level < arc.litFrom ? dim : on, 1.4f * u);
    }
}

void DrawPopoverSwitch(ID2D1DeviceContext* context, D2D1_RECT_F rect, bool on, float scale, ID2D1Brush* onBrush,
                       ID2D1Brush* offBrush, ID2D1Brush* knob) {
    if (!context) return;
    const float half = (rect.bottom - rect.top) / 2;
    if (ID2D1Brush* track = on ? onBrush : offBrush) {
        context->FillRoundedRectangle(D2D1::RoundedRect(rect, half, half), track);
    }
    const float k = half - 2 * scale;
    const float x = on ? rect.right - 2 * scale - k : rect.left + 2 * scale + k;
    if (knob) context->FillEllipse(D2D1::Ellipse(D2D1::Point2F(x, rect.top + half), k, k), knob);
}

void DrawPopoverSlider(ID2D1DeviceContext* context, float left, float top, float right, float bottom, float value,
                       float scale, ID2D1Brush* track, ID2D1Brush* fill, ID2D1Brush* border, ID2D1Brush* knob,
                       ID2D1Brush* shadow) {
    if (!context) return;
    const float half = (bottom - top) / 2;
    const SliderGeometry knobAt = PopoverSliderGeometry(left, top, right, bottom, value, scale);
    const float k = knobAt.knobRadius;
    const D2D1_ROUNDED_RECT whole = D2D1::RoundedRect(D2D1::RectF(left, top, right, bottom), half, half);
    if (track) context->FillRoundedRectangle(whole, track);
    if (fill) {
        context->FillRoundedRectangle(D2D1::RoundedRect(D2D1::RectF(left, top, knobAt.fillRight, bottom), half, half),
                                      fill);
    }
    if (border) context->DrawRoundedRectangle(whole, border, scale);
    if (shadow) {
        context->FillEllipse(
            D2D1::Ellipse(D2D1::Point2F(knobAt.knobX, knobAt.knobY + scale), k + 0.5f * scale, k + 0.5f * scale),
            shadow);
    }
    if (knob) context->FillEllipse(D2D1::Ellipse(D2D1::Point2F(knobAt.knobX, knobAt.knobY), k, k), knob);
}
