#pragma once
// The drop-down panel's colours, fonts and the small drawing routines its
// panels and control-center tiles share: arcs, the Wi-Fi fan, switches and
// sliders. Brushes and formats are kept between paints and made again only
// when the theme, the scale or the device changes.

#include <d2d1_1.h>
#include <dwrite.h>
#include <wrl/client.h>

#include <cstdint>

// Colours as red, green, blue, alpha in 0..1 for a dark or a light panel.
struct PopoverPaletteColors {
    D2D1_COLOR_F text, secondaryText, card, hover, border, separator, accent, dim, white, green, dangerTint, danger,
        knob, knobShadow, track, calendarFestival, calendarTodayLunar;
};
PopoverPaletteColors PopoverPaletteColorsFor(bool dark);

// The brushes and text formats one paint draws with. A brush or format that
// could not be made stays null and the element it paints is skipped. Kept
// between paints: brushes belong to the Direct2D device and follow the theme,
// formats follow the factory and the scale, and each set is made again only
// when what it follows changed.
struct PopoverPalette {
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> text, secondaryText, card, hover, border, separator, accent, dim,
        white, green, dangerTint, danger, knob, knobShadow, track, calendarFestival, calendarTodayLunar;
    Microsoft::WRL::ComPtr<IDWriteTextFormat> title, body, smallText, big, calendarDay, calendarLunar;

    void Prepare(ID2D1DeviceContext* context, IDWriteFactory* factory, bool dark, float scale);

private:
    void CreateBrushes(ID2D1DeviceContext* context, const PopoverPaletteColors& colors);
    void CreateFormats(IDWriteFactory* factory, float scale);

    // Held so that a new device cannot take the old one's address unnoticed.
    Microsoft::WRL::ComPtr<ID2D1Device> brushDevice;
    bool brushesDark = false;
    bool brushesMade = false;
    Microsoft::WRL::ComPtr<IDWriteFactory> formatFactory;
    float formatScale = 0.0f;
};

// Horizontal alignment, centred paragraph, one line, character trimming with
// an ellipsis sign.
void SetPopoverTextAlign(IDWriteTextFormat* format, DWRITE_TEXT_ALIGNMENT alignment);

// A stroked arc from start to end: the smaller one, turning clockwise, of the
// circle with that radius through both points. Points and lengths in pixels.
// Laid as short lines (AddPopoverArcLines) since arc segments are not stroked
// by every Direct2D we run on.
void DrawPopoverArc(ID2D1DeviceContext* context, ID2D1Factory* factory, D2D1_POINT_2F start, D2D1_POINT_2F end,
                    float radius, ID2D1Brush* brush, float strokeWidth);

// Adds to an open figure, whose current point is `from`, the smaller arc of
// radius `radius` turning clockwise to `to`, as short lines: a filled figure
// gets the same outline as an arc segment would give it.
void AddPopoverArcLines(ID2D1GeometrySink* sink, D2D1_POINT_2F from, D2D1_POINT_2F to, float radius);

// The Wi-Fi fan around (cx, cy) in pixels with unit u (pixels per unit): a
// dot and three arcs, each lit with `on` from its signal level up, else `dim`.
void DrawPopoverWifiGlyph(ID2D1DeviceContext* context, ID2D1Factory* factory, float cx, float cy, float u,
                          uint32_t level, ID2D1Brush* on, ID2D1Brush* dim);

// A pill switch in the rectangle (pixels) with its knob at the right when on.
void DrawPopoverSwitch(ID2D1DeviceContext* context, D2D1_RECT_F rect, bool on, float scale, ID2D1Brush* onBrush,
                       ID2D1Brush* offBrush, ID2D1Brush* knob);

// A rounded slider track (pixels) filled up to the knob at value 0..1.
void DrawPopoverSlider(ID2D1DeviceContext* context, float left, float top, float right, float bottom, float value,
                       float scale, ID2D1Brush* track, ID2D1Brush* fill, ID2D1Brush* border, ID2D1Brush* knob,
                       ID2D1Brush* shadow);
