#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "render/raster/Blend.h"
#include "render/raster/Image.h"

using namespace raster;

namespace {
const uint32_t kWhite = Bgra(255, 255, 255, 255);
const uint32_t kRed = Bgra(0, 0, 255, 255);
}  // namespace

TEST(RasterPixel, ScalePixelRoundsLikeMul255ForEveryPair) {
    for (uint32_t v = 0; v < 256; ++v) {
        for (uint32_t f = 0; f < 256; ++f) {
            const uint32_t p = Bgra(v, 255 - v, v / 2, v);
            const uint32_t s = ScalePixel(p, f);
            ASSERT_EQ(BlueOf(s), Mul255(v, f));
            ASSERT_EQ(GreenOf(s), Mul255(255 - v, f));
            ASSERT_EQ(RedOf(s), Mul255(v / 2, f));
            ASSERT_EQ(AlphaOf(s), Mul255(v, f));
        }
    }
    EXPECT_EQ(Mul255(255, 255), 255u);
    EXPECT_EQ(Mul255(128, 255), 128u);
    EXPECT_EQ(OpacityToByte(0.5f), 128u);
    EXPECT_EQ(OpacityToByte(-1.0f), 0u);
    EXPECT_EQ(OpacityToByte(std::nanf("")), 0u);
}

TEST(RasterBlend, HalfTransparentRedOverOpaqueWhite) {
    Image dst(3, 1, kWhite);
    Image src(1, 1, Bgra(0, 0, 128, 128));
    DrawImage(dst.View(), src.View(), 1, 0);
    EXPECT_EQ(dst.At(1, 0), Bgra(127, 127, 255, 255));
    EXPECT_EQ(dst.At(0, 0), kWhite);
    EXPECT_EQ(dst.At(2, 0), kWhite);
}

TEST(RasterBlend, OpacityHalfScalesEveryChannel) {
    Image onWhite(2, 2, kWhite);
    Image onClear(2, 2, 0);
    Image src(2, 2, kRed);
    DrawOptions half;
    half.opacity = 0.5f;
    DrawImage(onWhite.View(), src.View(), 0, 0, half);
    DrawImage(onClear.View(), src.View(), 0, 0, half);
    EXPECT_EQ(onWhite.At(1, 1), Bgra(127, 127, 255, 255));
    EXPECT_EQ(onClear.At(0, 1), Bgra(0, 0, 128, 128));

    DrawOptions none;
    none.opacity = 0.0f;
    Image untouched(2, 2, kWhite);
    DrawImage(untouched.View(), src.View(), 0, 0, none);
    EXPECT_EQ(untouched.At(0, 0), kWhite);
}

TEST(RasterBlend, MatchesTheSourceOverFormulaOnRandomRows) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<uint32_t> byte(0, 255);
    auto randomPremultiplied = [&] {
        const uint32_t a = byte(rng) < 40 ? 255 : byte(rng);  // opaque ones take their own path
        return Bgra(byte(rng) * a / 255, byte(rng) * a / 255, byte(rng) * a / 255, a);
    };
    constexpr int kCount = 101;  // odd: pairs and a last single pixel
    for (int trial = 0; trial < 60; ++trial) {
        Image src(kCount, 1), dst(kCount, 1);
        Mask cov({0, 0, kCount, 1});
        for (int i = 0; i < kCount; ++i) {
            src.At(i, 0) = randomPremultiplied();
            dst.At(i, 0) = randomPremultiplied();
            *cov.View().Span(i, 0) = static_cast<uint8_t>(byte(rng));
        }
        if (trial % 3 == 0) src.At(7, 0) = src.At(8, 0) = 0;  // a transparent pair
        const Image before = dst;
        const uint32_t opacityByte = trial % 4 == 0 ? 255 : byte(rng);
        const bool useCoverage = trial % 2 == 1;
        const ConstMaskView coverage = cov.View();
        DrawOptions o;
        o.opacity = opacityByte / 255.0f;  // exactly representable as a blend factor
        ASSERT_EQ(OpacityToByte(o.opacity), opacityByte);
        if (useCoverage) o.coverage = &coverage;
        DrawImage(dst.View(), src.View(), 0, 0, o);
        for (int i = 0; i < kCount; ++i) {
            const uint32_t s = src.At(i, 0), d = before.At(i, 0), r = dst.At(i, 0);
            const float f = opacityByte / 255.0f * (useCoverage ? cov.At(i, 0) / 255.0f : 1.0f);
            const float sa = AlphaOf(s) * f / 255.0f;
            for (int shift = 0; shift < 32; shift += 8) {
                const float expected = ((s >> shift) & 0xFF) * f + ((d >> shift) & 0xFF) * (1.0f - sa);
                ASSERT_NEAR(static_cast<float>((r >> shift) & 0xFF), expected, 1.5f) << trial << " " << i;
            }
            ASSERT_LE(RedOf(r), AlphaOf(r));
        }
    }
}

TEST(RasterBlend, ClipAndCoverageLimitWhatIsDrawn) {
    Image dst(4, 4, 0);
    Image src(4, 4, kRed);
    DrawOptions clipped;
    clipped.clip = {1, 1, 2, 2};
    DrawImage(dst.View(), src.View(), 0, 0, clipped);
    EXPECT_EQ(dst.At(0, 0), 0u);
    EXPECT_EQ(dst.At(1, 1), kRed);
    EXPECT_EQ(dst.At(2, 2), kRed);
    EXPECT_EQ(dst.At(3, 3), 0u);

    // Coverage: 128 halves the source; outside the mask nothing is drawn.
    Image dst2(4, 1, 0);
    Mask mask({1, 0, 2, 1}, 128);
    *mask.View().Span(2, 0) = 255;
    const ConstMaskView cov = mask.View();
    DrawOptions masked;
    masked.coverage = &cov;
    DrawImage(dst2.View(), Image(4, 1, kRed).View(), 0, 0, masked);
    EXPECT_EQ(dst2.At(0, 0), 0u);
    EXPECT_EQ(dst2.At(1, 0), Bgra(0, 0, 128, 128));
    EXPECT_EQ(dst2.At(2, 0), kRed);
    EXPECT_EQ(dst2.At(3, 0), 0u);
}

TEST(RasterBlend, DrawingPartlyOutsideTheDestinationIsCut) {
    Image dst(3, 3, 0);
    Image src(2, 2, kRed);
    DrawImage(dst.View(), src.View(), -1, 2);
    EXPECT_EQ(dst.At(0, 2), kRed);
    EXPECT_EQ(dst.At(1, 2), 0u);
    EXPECT_EQ(dst.At(0, 1), 0u);
    DrawImage(dst.View(), src.View(), 5, 5);  // wholly outside: nothing, no crash
}

TEST(RasterBlend, CopyReplacesEvenWithTransparentSource) {
    Image dst(2, 1, kWhite);
    Image src(2, 1, 0);
    src.At(1, 0) = Bgra(0, 0, 100, 100);
    DrawOptions copy;
    copy.mode = BlendMode::Copy;
    DrawImage(dst.View(), src.View(), 0, 0, copy);
    EXPECT_EQ(dst.At(0, 0), 0u);
    EXPECT_EQ(dst.At(1, 0), Bgra(0, 0, 100, 100));

    Image three(3, 1, kWhite);
    copy.opacity = 0.5f;
    DrawImage(three.View(), Image(3, 1, kRed).View(), 0, 0, copy);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(three.At(x, 0), Bgra(0, 0, 128, 128)) << x;
}

TEST(RasterBlend, FillRectWithColourAndOpacity) {
    Image dst(3, 1, kWhite);
    DrawOptions o;
    o.opacity = 0.5f;
    FillRect(dst.View(), {1, 0, 5, 1}, PremultiplyArgb(255, 0, 0, 0), o);
    EXPECT_EQ(dst.At(0, 0), kWhite);
    EXPECT_EQ(dst.At(1, 0), Bgra(127, 127, 127, 255));
    EXPECT_EQ(PremultiplyArgb(128, 255, 255, 255), Bgra(128, 128, 128, 128));
    ClearRect(dst.View(), {0, 0, 2, 1});
    EXPECT_EQ(dst.At(0, 0), 0u);
    EXPECT_EQ(dst.At(2, 0), Bgra(127, 127, 127, 255));
}
