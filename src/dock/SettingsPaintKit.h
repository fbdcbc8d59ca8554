#pragma once
// The brushes and text formats of the settings window's paints: made from the
// copy's theme with the render target and kept while both stay.

#include <d2d1.h>
#include <dwrite.h>
#include <wrl/client.h>

#include "dock/SettingsWindow.h"

struct SettingsWindow::PaintKit {
    using Brush = Microsoft::WRL::ComPtr<ID2D1SolidColorBrush>;
    using Format = Microsoft::WRL::ComPtr<IDWriteTextFormat>;

    ID2D1RenderTarget* target = nullptr;
    IDWriteFactory* dwrite = nullptr;
    bool dark = false;
    float W = 680.0f;
    float H = 540.0f;
    float L = 200.0f;
    float R = 656.0f;

    Brush sidebar, content, card, border, divider, primary, secondary, tertiary, accent, accentTint, hover, controlFill,
        controlHover, switchOff, knob, groove, knobShadow, white, segmentTrack, segmentSelected;
    Format title, heading, body, caption, button, aboutText, featureTitle, featureText;
};

// The twenty theme colours and eight formats; a failed one stays null.
void BuildPaintKit(SettingsWindow::PaintKit& kit, ID2D1RenderTarget* target, IDWriteFactory* dwrite, bool dark,
                   bool aboutFormats);
