#include "topbar/TopBarPalette.h"

BarPaletteColors BarPaletteColorsFor(bool dark) {
    auto c = [](float r, float g, float b, float a) { return D2D1::ColorF(r, g, b, a); };
    BarPaletteColors p;
    p.text = dark ? c(1, 1, 1, 1) : c(0.03f, 0.04f, 0.07f, 0.99f);
    p.emboss = dark ? c(0, 0, 0, 0.62f) : c(1, 1, 1, 0.42f);
    p.deepShadow = dark ? c(0, 0, 0, 0.28f) : c(1, 1, 1, 0.22f);
    p.dimText = dark ? c(1, 1, 1, 0.36f) : c(0.03f, 0.04f, 0.07f, 0.32f);
    p.highlightFill = dark ? c(1, 1, 1, 0.2f) : c(1, 1, 1, 0.6f);
    p.highlightStroke = dark ? c(1, 1, 1, 0.36f) : c(1, 1, 1, 0.88f);
    p.charging = c(0.18f, 0.84f, 0.46f, 0.96f);
    p.alert = c(0.95f, 0.3f, 0.25f, 0.96f);
    p.imeFill = dark ? c(1, 1, 1, 0.14f) : c(1, 1, 1, 0.44f);
    p.imeStroke = dark ? c(1, 1, 1, 0.38f) : c(0.03f, 0.04f, 0.07f, 0.28f);
    p.separator = dark ? c(1, 1, 1, 0.24f) : c(0.03f, 0.04f, 0.07f, 0.18f);
    p.unreadRing = dark ? c(0.1f, 0.12f, 0.16f, 0.92f) : c(0.98f, 0.99f, 1, 0.96f);
    return p;
}

bool BarPalette::Create(ID2D1DeviceContext* context, const BarPaletteColors& colors) {
    struct Entry {
        const D2D1_COLOR_F& color;
        Microsoft::WRL::ComPtr<ID2D1SolidColorBrush>& brush;
    };
    const Entry entries[] = {{colors.text, text},
                             {colors.emboss, emboss},
                             {colors.deepShadow, deepShadow},
                             {colors.dimText, dimText},
                             {colors.highlightFill, highlightFill},
                             {colors.highlightStroke, highlightStroke},
                             {colors.charging, charging},
                             {colors.alert, alert},
                             {colors.imeFill, imeFill},
                             {colors.imeStroke, imeStroke},
                             {colors.separator, separator}};
    for (const auto& entry : entries) {
        if (FAILED(context->CreateSolidColorBrush(entry.color, &entry.brush))) return false;
    }
    return true;
}
