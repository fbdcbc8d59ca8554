// The bar's glyphs drawn by Direct2D and read back.

#include <gtest/gtest.h>

#include "PopoverCanvas.h"
#include "topbar/TopBarGlyphs.h"

using Microsoft::WRL::ComPtr;

TEST(TopBarGlyphs, SpeakerWavesAreDrawnForLoudVolumesOnly) {
    PopoverCanvas canvas;
    ASSERT_TRUE(canvas.Ready());
    ID2D1Factory* factory = canvas.Device().d2dFactory.Get();
    auto speaker = [&](float volume) {
        return canvas.Render(64, 40, [&](ID2D1DeviceContext* context) {
            ComPtr<ID2D1SolidColorBrush> white;
            context->CreateSolidColorBrush(D2D1::ColorF(1, 1, 1, 1), &white);
            DrawTopBarSpeakerGlyph(context, factory, 40, 20, 2, volume, false, white.Get());
        });
    };
    // At scale 2 around (40, 20) the outermost wave bulges furthest right at
    // about x 56.6 on the centre line; the innermost stays left of x 46.
    const CanvasImage loud = speaker(1.0f);
    const CanvasImage quiet = speaker(0.2f);
    ASSERT_EQ(loud.width, 64);
    ASSERT_EQ(quiet.width, 64);
    EXPECT_GE(loud.At(56, 20).a, 200) << "the third wave";
    EXPECT_EQ(quiet.At(56, 20).a, 0) << "one wave only";
    EXPECT_TRUE(quiet.AnyOpaque(41, 14, 47, 26, 200)) << "the first wave";
}
