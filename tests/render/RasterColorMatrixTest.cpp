#include <gtest/gtest.h>

#include <random>

#include "render/raster/ColorMatrix.h"
#include "render/raster/Image.h"

using namespace raster;

TEST(RasterSaturation, ZeroGivesTheLuminanceGrey) {
    // grey = 0.213 R + 0.715 G + 0.072 B
    Image img(4, 1);
    img.At(0, 0) = Bgra(0, 0, 255, 255);        // red: 54.3
    img.At(1, 0) = Bgra(0, 255, 0, 255);        // green: 182.3
    img.At(2, 0) = Bgra(200, 150, 100, 255);    // 21.3 + 107.25 + 14.4 = 142.95
    img.At(3, 0) = Bgra(0, 0, 128, 128);        // half-transparent red: 27.3 at alpha 128
    Saturate(img.View(), 0.0f);
    EXPECT_EQ(img.At(0, 0), Bgra(54, 54, 54, 255));
    EXPECT_EQ(img.At(1, 0), Bgra(182, 182, 182, 255));
    EXPECT_EQ(img.At(2, 0), Bgra(143, 143, 143, 255));
    EXPECT_EQ(img.At(3, 0), Bgra(27, 27, 27, 128));
}

TEST(RasterSaturation, OneIsIdentityAndHigherValuesStayInRange) {
    std::mt19937 rng(1);
    std::uniform_int_distribution<uint32_t> byte(0, 255);
    Image img(50, 20);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 50; ++x) {
            const uint32_t a = byte(rng);
            img.At(x, y) = Bgra(byte(rng) * a / 255, byte(rng) * a / 255, byte(rng) * a / 255, a);
        }
    }
    Image same = img;
    Saturate(same.View(), 1.0f);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 50; ++x) ASSERT_EQ(same.At(x, y), img.At(x, y));

    Image vivid = img;
    Saturate(vivid.View(), 1.8f);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 50; ++x) {
            const uint32_t p = vivid.At(x, y);
            ASSERT_EQ(AlphaOf(p), AlphaOf(img.At(x, y)));
            ASSERT_LE(RedOf(p), AlphaOf(p));
            ASSERT_LE(GreenOf(p), AlphaOf(p));
            ASSERT_LE(BlueOf(p), AlphaOf(p));
        }
    }
    // Pure red is pushed beyond full red and clamped; a grey stays grey.
    Image two(2, 1);
    two.At(0, 0) = Bgra(40, 40, 200, 255);
    two.At(1, 0) = Bgra(90, 90, 90, 255);
    Saturate(two.View(), 1.48f);
    EXPECT_GT(RedOf(two.At(0, 0)), 200u);
    EXPECT_LT(BlueOf(two.At(0, 0)), 40u);
    EXPECT_EQ(two.At(1, 0), Bgra(90, 90, 90, 255));
}

TEST(RasterColorMatrix, ClipAndGeneralMatricesWorkOnStraightColour) {
    Image img(2, 1, Bgra(0, 0, 100, 200));
    ColorMatrix invertAlpha;  // alpha' = 1 - alpha, colour unchanged (straight)
    invertAlpha.m[3][3] = -1.0f;
    invertAlpha.m[4][3] = 1.0f;
    ApplyColorMatrix(img.View(), invertAlpha, {1, 0, 1, 1});
    EXPECT_EQ(img.At(0, 0), Bgra(0, 0, 100, 200));
    // Straight red 100/200 = 0.5 at the new alpha 55: 27.5.
    EXPECT_EQ(AlphaOf(img.At(1, 0)), 55u);
    EXPECT_NEAR(static_cast<int>(RedOf(img.At(1, 0))), 28, 1);
    EXPECT_EQ(BlueOf(img.At(1, 0)), 0u);
    EXPECT_FLOAT_EQ(SaturationMatrix(0.0f).m[1][0], kSaturationGreenWeight);
    EXPECT_FLOAT_EQ(SaturationMatrix(-3.0f).m[0][0], kSaturationRedWeight);
}
