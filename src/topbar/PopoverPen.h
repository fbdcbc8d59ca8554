#pragma once
// The panel painters' shorthand: cards, outlines, lines, circles and texts at
// panel DIP, scaled by the popover and drawn with the palette's brushes. A
// missing brush or format skips the element.

#include <d2d1_1.h>
#include <dwrite.h>
#include <wrl/client.h>

#include <optional>
#include <string>

#include "topbar/PopoverDrawing.h"
#include "topbar/TopBarPopover.h"

struct PopoverPen {
    TopBarPopover& popover;
    ID2D1DeviceContext* context;
    ID2D1Factory* factory;
    const PopoverPalette& palette;

    float S(float value) const { return popover.ScaleValue(value); }
    D2D1_POINT_2F Point(float x, float y) const { return D2D1::Point2F(S(x), S(y)); }

    void Card(float left, float top, float right, float bottom, float radius, ID2D1Brush* brush) const {
        if (!brush) return;
        context->FillRoundedRectangle(
            D2D1::RoundedRect(popover.ScaleRect(left, top, right, bottom), S(radius), S(radius)), brush);
    }
    // A one-DIP outline of the card's shape.
    void Outline(float left, float top, float right, float bottom, float radius, ID2D1Brush* brush) const {
        if (!brush) return;
        context->DrawRoundedRectangle(
            D2D1::RoundedRect(popover.ScaleRect(left, top, right, bottom), S(radius), S(radius)), brush, S(1));
    }
    void Line(float x0, float y0, float x1, float y1, ID2D1Brush* brush) const {
        if (brush) context->DrawLine(Point(x0, y0), Point(x1, y1), brush, S(1));
    }
    void Dot(float cx, float cy, float radius, ID2D1Brush* brush) const {
        if (brush) context->FillEllipse(D2D1::Ellipse(Point(cx, cy), S(radius), S(radius)), brush);
    }
    // A slider's track at panel DIP, filled up to its knob at the value; the
    // bare track for a value not yet read.
    void Slider(float left, float top, float right, float bottom, std::optional<float> value) const {
        const D2D1_RECT_F at = popover.ScaleRect(left, top, right, bottom);
        const bool known = value.has_value();
        DrawPopoverSlider(context, at.left, at.top, at.right, at.bottom, value.value_or(0.0f), popover.scale,
                          palette.track.Get(), known ? palette.accent.Get() : nullptr, palette.border.Get(),
                          known ? palette.knob.Get() : nullptr, known ? palette.knobShadow.Get() : nullptr);
    }
    // A switch at panel DIP; for a state not yet read a dim pill without a knob.
    void Switch(float left, float top, float right, float bottom, std::optional<bool> on) const {
        const PopoverPalette& c = palette;
        DrawPopoverSwitch(context, popover.ScaleRect(left, top, right, bottom), on.value_or(false), popover.scale,
                          c.accent.Get(), c.dim.Get(), on ? c.white.Get() : nullptr);
    }
    void Text(const std::wstring& text, IDWriteTextFormat* format, DWRITE_TEXT_ALIGNMENT alignment, float left,
              float top, float right, float bottom, ID2D1Brush* brush) const {
        if (!format || !brush || text.empty()) return;
        if (popover.textRuns) {
            Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> solid;
            if (SUCCEEDED(brush->QueryInterface(IID_PPV_ARGS(&solid)))) {
                D2D1_COLOR_F color = solid->GetColor();
                color.a *= solid->GetOpacity();
                popover.textRuns->push_back(
                    {text, format, alignment, popover.ScaleRect(left, top, right, bottom), color});
                return;
            }
        }
        TopBarPopover::SetTextAlign(format, alignment);
        context->DrawText(text.c_str(), static_cast<UINT32>(text.size()), format,
                          popover.ScaleRect(left, top, right, bottom), brush);
    }
};

inline constexpr DWRITE_TEXT_ALIGNMENT kLeading = DWRITE_TEXT_ALIGNMENT_LEADING;
inline constexpr DWRITE_TEXT_ALIGNMENT kTrailing = DWRITE_TEXT_ALIGNMENT_TRAILING;
inline constexpr DWRITE_TEXT_ALIGNMENT kCentre = DWRITE_TEXT_ALIGNMENT_CENTER;

// The control center's grid, tiles, slider modules or hint line.
void PaintControlCenter(const PopoverPen& pen, bool dark);
