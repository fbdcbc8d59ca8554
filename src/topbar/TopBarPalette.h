#pragma once
// The bar's eleven colours for a dark or a light bar, and the solid brushes a
// paint makes from them.

#include <d2d1_1.h>
#include <wrl/client.h>

struct BarPaletteColors {
    D2D1_COLOR_F text, emboss, deepShadow, dimText, highlightFill, highlightStroke, charging, alert, imeFill, imeStroke,
        separator, unreadRing;
};
BarPaletteColors BarPaletteColorsFor(bool dark);

struct BarPalette {
    Microsoft::WRL::ComPtr<ID2D1SolidColorBrush> text, emboss, deepShadow, dimText, highlightFill, highlightStroke,
        charging, alert, imeFill, imeStroke, separator;
    // False when a brush could not be made.
    bool Create(ID2D1DeviceContext* context, const BarPaletteColors& colors);
};
