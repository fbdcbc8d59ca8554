#include <gtest/gtest.h>

#include "render/raster/Blend.h"
#include "render/raster/Coverage.h"
#include "render/raster/Image.h"
#include "render/raster/Mask.h"

using namespace raster;

TEST(RasterCoverage, RoundedClipOfRadius9Point6On100x20) {
    const Mask m = RoundedRectCoverage({0, 0, 100, 20}, {0, 0, 100, 20}, 9.6f, 9.6f);
    EXPECT_EQ(m.At(0, 0), 0);
    EXPECT_EQ(m.At(50, 10), 255);
    EXPECT_EQ(m.At(50, 0), 255);   // straight edge on a pixel boundary: fully inside
    EXPECT_EQ(m.At(0, 10), 255);
    // The arc crosses the centre of pixel (6, 0): about half covered.
    EXPECT_NEAR(m.At(6, 0), 128, 24);
    // Coverage grows monotonically into the shape along the top row and the diagonal.
    for (int x = 1; x < 12; ++x) EXPECT_GE(m.At(x, 0), m.At(x - 1, 0)) << x;
    for (int d = 1; d < 10; ++d) EXPECT_GE(m.At(d, d), m.At(d - 1, d - 1)) << d;
    // All four corners alike.
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(m.At(x, y), m.At(99 - x, y));
            EXPECT_EQ(m.At(x, y), m.At(x, 19 - y));
        }
    }
}

TEST(RasterCoverage, OversizedRadiiAreClampedPerAxis) {
    // Each radius stops at half of its own side: 50 x 50 on 100 x 20 is the
    // ellipse filling the rectangle, and 30 on a 20 x 20 square its circle.
    const Mask big = RoundedRectCoverage({0, 0, 100, 20}, {0, 0, 100, 20}, 50.0f, 50.0f);
    const Mask ellipse = RoundedRectCoverage({0, 0, 100, 20}, {0, 0, 100, 20}, 50.0f, 10.0f);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 100; ++x) ASSERT_EQ(big.At(x, y), ellipse.At(x, y)) << x << "," << y;
    EXPECT_EQ(big.At(50, 0), 255);
    EXPECT_GT(big.At(0, 10), 220);  // the ellipse reaches 0.06 into the first column
    EXPECT_EQ(big.At(10, 2), 0);
    const Mask circle = RoundedRectCoverage({0, 0, 20, 20}, {0, 0, 20, 20}, 30.0f, 30.0f);
    const Mask ten = RoundedRectCoverage({0, 0, 20, 20}, {0, 0, 20, 20}, 10.0f, 10.0f);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(circle.At(x, y), ten.At(x, y));
    EXPECT_EQ(circle.At(2, 2), 0);
}

TEST(RasterCoverage, InsetClipEdgesAreAntiAliased) {
    const RectF kept = InsetClipRect({0, 0, 10, 10}, 0.5f, 2.0f, 3.0f, 0.0f);
    EXPECT_FLOAT_EQ(kept.x, 0.5f);
    EXPECT_FLOAT_EQ(kept.width, 6.5f);
    const Mask m = RoundedRectCoverage({0, 0, 10, 10}, kept, 0.0f, 0.0f);
    EXPECT_EQ(m.At(0, 5), 128);
    EXPECT_EQ(m.At(1, 5), 255);
    EXPECT_EQ(m.At(6, 5), 255);
    EXPECT_EQ(m.At(7, 5), 0);
    EXPECT_EQ(m.At(3, 1), 0);
    EXPECT_EQ(m.At(3, 2), 255);
    EXPECT_EQ(RoundedRectCoverage({0, 0, 4, 4}, InsetClipRect({0, 0, 4, 4}, 3, 0, 3, 0), 0, 0).At(1, 1), 0);
}

TEST(RasterCoverage, MaskBoundsOffsetFromTheImageOrigin) {
    // A mask over (10, 10)-(20, 20) of a shape at the same place.
    const Mask m = RoundedRectCoverage({10, 10, 10, 10}, {10, 10, 10, 10}, 3.0f, 3.0f);
    EXPECT_EQ(m.At(15, 15), 255);
    EXPECT_EQ(m.At(10, 10), 0);
    EXPECT_EQ(m.At(5, 5), 0);  // outside the bounds
}

TEST(RasterMask, MultiplyByAlphaAndCoverage) {
    Image img(3, 2, Bgra(200, 100, 50, 255));
    Image mask(2, 2, 0);
    mask.At(0, 0) = Bgra(0, 0, 0, 255);
    mask.At(1, 0) = Bgra(0, 0, 0, 128);
    MultiplyByMaskAlpha(img.View(), mask.View());
    EXPECT_EQ(img.At(0, 0), Bgra(200, 100, 50, 255));
    EXPECT_EQ(img.At(1, 0), Bgra(100, 50, 25, 128));
    EXPECT_EQ(img.At(0, 1), 0u);
    EXPECT_EQ(img.At(2, 0), 0u);  // beyond the mask

    Image img2(3, 1, Bgra(200, 100, 50, 255));
    Mask cov({1, 0, 1, 1}, 128);
    MultiplyByCoverage(img2.View(), cov.View());
    EXPECT_EQ(img2.At(0, 0), 0u);
    EXPECT_EQ(img2.At(1, 0), Bgra(100, 50, 25, 128));
    EXPECT_EQ(img2.At(2, 0), 0u);

    Mask a({0, 0, 3, 1}, 255);
    Mask b({1, 0, 5, 1}, 128);
    IntersectCoverage(a.View(), b.View());
    EXPECT_EQ(a.At(0, 0), 0);
    EXPECT_EQ(a.At(1, 0), 128);
    EXPECT_EQ(a.At(2, 0), 128);

    Mask ring({0, 0, 3, 1}, 200);
    SubtractCoverage(ring.View(), Mask({1, 0, 5, 1}, 150).View());
    SubtractCoverage(ring.View(), Mask({2, 0, 1, 1}, 150).View());
    EXPECT_EQ(ring.At(0, 0), 200) << "nothing taken outside the other's bounds";
    EXPECT_EQ(ring.At(1, 0), 50);
    EXPECT_EQ(ring.At(2, 0), 0) << "never below 0";
}

TEST(RasterCoverage, RoundedClipAppliedToADrawing) {
    Image dst(100, 20, 0);
    const Mask m = RoundedRectCoverage({0, 0, 100, 20}, {0, 0, 100, 20}, 9.6f, 9.6f);
    const ConstMaskView cov = m.View();
    DrawOptions o;
    o.coverage = &cov;
    FillRect(dst.View(), {0, 0, 100, 20}, Bgra(255, 255, 255, 255), o);
    EXPECT_EQ(dst.At(0, 0), 0u);
    EXPECT_EQ(dst.At(50, 10), Bgra(255, 255, 255, 255));
    EXPECT_EQ(AlphaOf(dst.At(6, 0)), m.At(6, 0));
}
