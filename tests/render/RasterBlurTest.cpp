#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <random>
#include <thread>

#include "platform/PerThread.h"
#include "render/raster/Blur.h"
#include "render/raster/Image.h"

using namespace raster;

namespace {
uint32_t Grey(uint32_t v) { return Bgra(v, v, v, 255); }

Image StepEdge(int w, int h) {
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.At(x, y) = x < w / 2 ? Grey(0) : Grey(255);
    return img;
}

Image Noise(int w, int h, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<uint32_t> byte(0, 255);
    Image img(w, h);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const uint32_t a = byte(rng);
            img.At(x, y) = Bgra(byte(rng) * a / 255, byte(rng) * a / 255, byte(rng) * a / 255, a);
        }
    }
    return img;
}

int MaxDifference(const Image& a, const Image& b) {
    int worst = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            for (int s = 0; s < 32; s += 8)
                worst = std::max(worst, std::abs(static_cast<int>((a.At(x, y) >> s) & 0xFF) -
                                                 static_cast<int>((b.At(x, y) >> s) & 0xFF)));
    return worst;
}
}  // namespace

TEST(RasterBlur, StepEdgeIsHalfwayAtTheEdge) {
    for (float sigma : {1.4f, 4.5f, 9.0f, 30.0f}) {
        Image img = StepEdge(200, 8);
        GaussianBlur(img.View(), img.View(), sigma, EdgeMode::Hard);
        // The edge lies between columns 99 and 100: both sit near 50%.
        EXPECT_NEAR(static_cast<int>(BlueOf(img.At(99, 4))), 128, 40) << sigma;
        EXPECT_NEAR(static_cast<int>(BlueOf(img.At(99, 4)) + BlueOf(img.At(100, 4))), 255, 4) << sigma;
        for (int x = 1; x < 200; ++x) ASSERT_GE(BlueOf(img.At(x, 4)), BlueOf(img.At(x - 1, 4))) << sigma;
        EXPECT_EQ(img.At(0, 0), Grey(0));
        EXPECT_EQ(img.At(199, 7), Grey(255));
        EXPECT_EQ(img.At(99, 0), img.At(99, 7));  // rows alike: no darkening at the top and bottom
    }
}

TEST(RasterBlur, StepResponseFollowsTheNormalDistributionOfTheDeviation) {
    // Across a step the blur is 255 x Phi(distance / deviation): this pins the
    // deviation's meaning (pixels, not radius or a multiple of it).
    for (float sigma : {2.0f, 9.0f, 30.0f}) {
        Image img = StepEdge(600, 2);
        GaussianBlur(img.View(), img.View(), sigma, EdgeMode::Hard);
        for (float d : {-2.0f, -1.0f, -0.5f, 0.5f, 1.0f, 2.0f}) {
            const int x = 300 + static_cast<int>(std::lround(d * sigma - 0.5f));
            const double distance = x + 0.5 - 300.0;
            const double expected = 255.0 * 0.5 * std::erfc(-distance / (sigma * std::sqrt(2.0)));
            EXPECT_NEAR(static_cast<double>(BlueOf(img.At(x, 1))), expected, 5.0) << sigma << " " << d;
        }
    }
}

TEST(RasterBlur, HardEdgesKeepAUniformImageUniformSoftEdgesFade) {
    Image hard(40, 30, Grey(180));
    GaussianBlur(hard.View(), hard.View(), 6.0f, EdgeMode::Hard);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(hard.At(x, y), Grey(180)) << x << "," << y;

    Image soft(80, 60, Grey(180));
    GaussianBlur(soft.View(), soft.View(), 6.0f, EdgeMode::Soft);
    EXPECT_EQ(soft.At(40, 30), Grey(180));  // out of the edges' reach
    // Beyond the edge is transparent: the edge pixel keeps about half, a corner a quarter.
    EXPECT_NEAR(static_cast<int>(AlphaOf(soft.At(0, 30))), 128 + 128 / 6, 16);
    EXPECT_NEAR(static_cast<int>(AlphaOf(soft.At(0, 0))), 64 + 64 / 3, 16);
    EXPECT_LE(BlueOf(soft.At(0, 0)), AlphaOf(soft.At(0, 0)));
}

TEST(RasterBlur, BoxPassesStayWithinTwoPercentOfTheGaussian) {
    for (float sigma : {1.4f, 4.5f, 9.0f, 30.0f}) {
        const Image src = Noise(150, 90, 3);
        Image exact(150, 90), boxes(150, 90);
        GaussianBlur(exact.View(), src.View(), sigma, EdgeMode::Hard, Rect::Everything(), BlurKernel::Gaussian);
        GaussianBlur(boxes.View(), src.View(), sigma, EdgeMode::Hard, Rect::Everything(), BlurKernel::Boxes);
        EXPECT_LE(MaxDifference(exact, boxes), 5) << sigma;

        const Image step = StepEdge(300, 4);
        GaussianBlur(exact.View(), step.View(), sigma, EdgeMode::Hard, Rect::Everything(), BlurKernel::Gaussian);
        GaussianBlur(boxes.View(), step.View(), sigma, EdgeMode::Hard, Rect::Everything(), BlurKernel::Boxes);
    }
}

TEST(RasterBlur, ClippedBlurMatchesTheFullBlurInsideAndLeavesTheRest) {
    const Image src = Noise(120, 70, 11);
    for (BlurKernel kernel : {BlurKernel::Gaussian, BlurKernel::Boxes}) {
        for (EdgeMode edges : {EdgeMode::Hard, EdgeMode::Soft}) {
            Image full(120, 70), part(120, 70, Grey(7));
            GaussianBlur(full.View(), src.View(), 5.0f, edges, Rect::Everything(), kernel);
            const Rect clip{3, 50, 40, 20};
            GaussianBlur(part.View(), src.View(), 5.0f, edges, clip, kernel);
            for (int y = 0; y < 70; ++y)
                for (int x = 0; x < 120; ++x)
                    ASSERT_EQ(part.At(x, y), clip.Contains(x, y) ? full.At(x, y) : Grey(7)) << x << "," << y;
        }
    }
}

TEST(RasterBlur, InPlaceEqualsSeparateOutputAndStaysPremultiplied) {
    const Image src = Noise(64, 48, 5);
    Image out(64, 48);
    GaussianBlur(out.View(), src.View(), 9.0f, EdgeMode::Hard);
    Image inPlace = src;
    GaussianBlur(inPlace.View(), inPlace.View(), 9.0f, EdgeMode::Hard);
    EXPECT_EQ(MaxDifference(out, inPlace), 0);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x) {
            const uint32_t p = out.At(x, y);
            ASSERT_LE(RedOf(p), AlphaOf(p));
            ASSERT_LE(GreenOf(p), AlphaOf(p));
            ASSERT_LE(BlueOf(p), AlphaOf(p));
        }
    }
}

TEST(RasterBlur, TallImagesBlurredInBandsMatchInPlaceAndOut) {
    // Tall enough for several bands of rows, wide enough for the helper threads.
    const Image src = Noise(700, 900, 9);
    for (float sigma : {2.0f, 12.0f}) {
        Image out(700, 900);
        GaussianBlur(out.View(), src.View(), sigma, EdgeMode::Hard);
        Image inPlace = src;
        GaussianBlur(inPlace.View(), inPlace.View(), sigma, EdgeMode::Hard);
        EXPECT_EQ(MaxDifference(out, inPlace), 0) << sigma;
        // One band alone gives the same rows as the whole.
        Image part(700, 900);
        GaussianBlur(part.View(), src.View(), sigma, EdgeMode::Hard, {0, 600, 700, 50});
        for (int x = 0; x < 700; x += 7) ASSERT_EQ(part.At(x, 620), out.At(x, 620)) << sigma;
    }
}

TEST(RasterBlur, ZeroDeviationCopiesAndTinyImagesMirrorSafely) {
    const Image src = Noise(9, 5, 2);
    Image out(9, 5);
    GaussianBlur(out.View(), src.View(), 0.0f, EdgeMode::Hard);
    EXPECT_EQ(MaxDifference(out, src), 0);
    // A kernel far wider than the image mirrors over and over.
    Image one(1, 1, Grey(90));
    GaussianBlur(one.View(), one.View(), 30.0f, EdgeMode::Hard);
    EXPECT_EQ(one.At(0, 0), Grey(90));
    Image huge = src, limit = src;
    GaussianBlur(huge.View(), huge.View(), 1e9f, EdgeMode::Soft);
    GaussianBlur(limit.View(), limit.View(), kLargestDeviation, EdgeMode::Soft);
    EXPECT_EQ(MaxDifference(huge, limit), 0);
    Image row(3, 1, Grey(90));
    GaussianBlur(row.View(), row.View(), 2.0f, EdgeMode::Hard);
    EXPECT_EQ(row.At(2, 0), Grey(90));
}

// A blur's scratch is kept per thread. A worker that ends must destroy it while
// its memory is still its own: a destructor that runs on memory the heap has
// taken back frees whatever another thread was given there since.
TEST(RasterBlur, ScratchKeptPerThreadIsDestroyedBeforeItsMemoryIsFreed) {
    static std::atomic<int> destroyed, onFreedMemory;
    destroyed = onFreedMemory = 0;
    struct Probe {
        char bytes[4000] = {};
        // A block of this size is the heap's to give only if this one was freed.
        ~Probe() {
            ++destroyed;
            char* block = static_cast<char*>(std::malloc(sizeof(Probe) + 64));
            const char* self = bytes;
            if (self >= block && self < block + sizeof(Probe) + 64) ++onFreedMemory;
            std::free(block);
        }
    };
    for (int i = 0; i < 4; ++i) std::thread([] { platform::PerThread<Probe>().bytes[0] = 1; }).join();
    EXPECT_EQ(destroyed, 4);
    EXPECT_EQ(onFreedMemory, 0);
}
