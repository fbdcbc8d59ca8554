#include <gtest/gtest.h>

#include "render/raster/Image.h"
#include "render/raster/NineGrid.h"
#include "render/raster/Resample.h"
#include "render/raster/Stretch.h"
#include "render/raster/Translate.h"

using namespace raster;

namespace {
uint32_t Grey(uint32_t v) { return Bgra(v, v, v, 255); }

// An opaque image whose pixels all differ.
Image Distinct(int w, int h) {
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.At(x, y) = Bgra(x * 16 % 256, y * 16 % 256, (x * 7 + y * 3) % 256, 255);
    return img;
}
}  // namespace

TEST(RasterStretch, Bilinear2x2To4x4) {
    Image src(2, 2);
    src.At(0, 0) = Grey(0);
    src.At(1, 0) = Grey(128);
    src.At(0, 1) = Grey(64);
    src.At(1, 1) = Grey(192);
    Image dst(4, 4, 0);
    DrawStretched(dst.View(), {0, 0, 4, 4}, src.View());
    const uint32_t expected[4][4] = {
        {0, 32, 96, 128}, {16, 48, 112, 144}, {48, 80, 144, 176}, {64, 96, 160, 192}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.At(x, y), Grey(expected[y][x])) << x << "," << y;
}

TEST(RasterStretch, EveryChannelMixesAsTheTapsSay) {
    Image src(7, 5);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) src.At(x, y) = Bgra(x * 30, y * 50, (x * 7 + y * 3) * 9 % 256, 40 + x * 20 + y * 10);
    Image dst(13, 9, 0);
    DrawOptions copy;
    copy.mode = BlendMode::Copy;
    DrawStretched(dst.View(), {0, 0, 13, 9}, src.View(), copy);
    const Taps columns = StretchTaps(13, 7), rows = StretchTaps(9, 5);
    auto channel = [&](int x, int y, int ch) { return (src.At(x, y) >> (8 * ch)) & 0xFFu; };
    for (int y = 0; y < 9; ++y) {
        for (int x = 0; x < 13; ++x) {
            const uint32_t wy = rows.weight[y], wx = columns.weight[x];
            uint32_t expected = 0;
            for (int ch = 0; ch < 4; ++ch) {
                auto column = [&](int c) {
                    return channel(c, rows.first[y], ch) * (256 - wy) + channel(c, rows.second[y], ch) * wy;
                };
                expected |= ((column(columns.first[x]) * (256 - wx) + column(columns.second[x]) * wx + 32768) >> 16)
                            << (8 * ch);
            }
            EXPECT_EQ(dst.At(x, y), expected) << x << "," << y;
        }
    }
}

TEST(RasterStretch, SameSizeCopiesAndClipRestricts) {
    const Image src = Distinct(5, 3);
    Image dst(7, 5, 0);
    DrawStretched(dst.View(), {1, 1, 5, 3}, src.View());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(dst.At(x + 1, y + 1), src.At(x, y));

    Image big(8, 8, 0);
    DrawOptions o;
    o.clip = {0, 0, 8, 4};
    DrawStretched(big.View(), {0, 0, 8, 8}, Image(1, 1, Grey(200)).View(), o);
    EXPECT_EQ(big.At(7, 3), Grey(200));
    EXPECT_EQ(big.At(0, 4), 0u);
}

TEST(RasterNineGrid, CornersAreCopiedExactly) {
    const Image src = Distinct(12, 12);
    Image dst(40, 30, 0);
    DrawNineGrid(dst.View(), {3, 2, 30, 20}, src.View(), NineGridInsets::Uniform(4));
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(dst.At(3 + x, 2 + y), src.At(x, y));                 // top left
            EXPECT_EQ(dst.At(3 + 26 + x, 2 + y), src.At(8 + x, y));        // top right
            EXPECT_EQ(dst.At(3 + x, 2 + 16 + y), src.At(x, 8 + y));        // bottom left
            EXPECT_EQ(dst.At(3 + 26 + x, 2 + 16 + y), src.At(8 + x, 8 + y));  // bottom right
        }
    }
    // Edges stretch along one axis only: the top edge keeps the source's rows.
    for (int x = 4; x < 26; ++x) EXPECT_EQ(GreenOf(dst.At(3 + x, 2 + 1)), GreenOf(src.At(5, 1)));
    EXPECT_EQ(dst.At(2, 2), 0u);
    EXPECT_EQ(dst.At(33, 22), 0u);
}

TEST(RasterNineGrid, EqualInsetsShrinkTogetherOnSmallTargets) {
    EXPECT_EQ(TargetInsets(NineGridInsets::Uniform(16), 100, 20).top, 10);
    EXPECT_EQ(TargetInsets(NineGridInsets::Uniform(16), 100, 20).left, 10);
    EXPECT_EQ(TargetInsets(NineGridInsets::Uniform(16), 21, 100).right, 10);
    EXPECT_EQ(TargetInsets(NineGridInsets::Uniform(16), 32, 40).left, 16);
    const NineGridInsets unequal = TargetInsets({10, 2, 30, 2}, 20, 100);
    EXPECT_EQ(unequal.left, 5);
    EXPECT_EQ(unequal.right, 15);
    EXPECT_EQ(unequal.top, 2);

    // A 16-pixel grid on a 100 x 20 target: the bottom corners meet the top ones.
    Image src(40, 40, Grey(10));
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) src.At(x, y) = Grey(200);
    Image dst(100, 20, 0);
    DrawNineGrid(dst.View(), {0, 0, 100, 20}, src.View(), NineGridInsets::Uniform(16));
    EXPECT_EQ(dst.At(0, 0), Grey(200));
    EXPECT_EQ(dst.At(9, 9), Grey(200));
    EXPECT_EQ(dst.At(0, 10), Grey(10));
    EXPECT_EQ(dst.At(99, 19), Grey(10));
}

TEST(RasterTranslate, MovesDownBySevenAndAHalfWithHardEdges) {
    Image src(3, 12);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 3; ++x) src.At(x, y) = Grey(10 + 10 * y);
    Image dst(3, 20, Grey(255));
    DrawOptions copy;
    copy.mode = BlendMode::Copy;
    DrawTranslated(dst.View(), src.View(), 0.0f, 7.5f, EdgeMode::Hard, copy);
    for (int y = 0; y < 7; ++y) EXPECT_EQ(dst.At(1, y), 0u) << y;
    EXPECT_EQ(dst.At(1, 7), Grey(10));
    for (int y = 8; y < 19; ++y) EXPECT_EQ(dst.At(2, y), Grey(10 + 10 * (y - 8) + 5)) << y;
    EXPECT_EQ(dst.At(0, 19), 0u);
}

TEST(RasterTranslate, SoftEdgesFadeAndWholePixelsCopy) {
    Image src(2, 4, Grey(200));
    Image dst(2, 6, 0);
    DrawOptions copy;
    copy.mode = BlendMode::Copy;
    DrawTranslated(dst.View(), src.View(), 0.0f, 0.5f, EdgeMode::Soft, copy);
    EXPECT_EQ(dst.At(0, 0), Bgra(100, 100, 100, 128));
    EXPECT_EQ(dst.At(0, 1), Grey(200));
    EXPECT_EQ(dst.At(0, 4), Bgra(100, 100, 100, 128));
    EXPECT_EQ(dst.At(0, 5), 0u);

    const Image d = Distinct(6, 5);
    Image moved(6, 5, 0);
    DrawTranslated(moved.View(), d.View(), 2.0f, -1.0f, EdgeMode::Hard, copy);
    EXPECT_EQ(moved.At(2, 0), d.At(0, 1));
    EXPECT_EQ(moved.At(5, 3), d.At(3, 4));
    EXPECT_EQ(moved.At(1, 0), 0u);
    EXPECT_EQ(moved.At(3, 4), 0u);
}
