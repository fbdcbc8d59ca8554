// The host backdrop shows the real desktop wallpaper, stretched over the
// screen, and follows a change of wallpaper.
#include <gtest/gtest.h>

#include <objbase.h>

#include <algorithm>

#include "CompTestWindow.h"
#include "LuminanceTestSupport.h"
#include "render/comp/HostBackdrop.h"
#include "support/TestSupport.h"

using namespace luminance_testing;

TEST(HostBackdrop, ShowsTheWallpaperAndFollowsItsChange) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    testing_support::TempDir dir;
    std::wstring topRed = dir.File(L"top-red.bmp");
    WriteBmp(topRed, 64, 36, [](int, int y) { return y < 18 ? Rgb{255, 0, 0} : Rgb{0, 0, 255}; });
    {
        ScopedWallpaper wallpaper(topRed);
        ASSERT_TRUE(wallpaper.Applied());
        comp::BackdropPicture picture;
        ASSERT_TRUE(comp::HostBackdrop::LoadDesktopWallpaper(picture));
        int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
        ASSERT_EQ(picture.pixels.Width(), width);
        ASSERT_EQ(picture.pixels.Height(), height);
        EXPECT_EQ(PixelAt(picture.pixels, width / 2, height / 8), (Px{0, 0, 255, 255})) << "red on top";
        EXPECT_EQ(PixelAt(picture.pixels, width / 2, height * 7 / 8), (Px{255, 0, 0, 255})) << "blue below";

        comp::HostBackdrop backdrop;
        ASSERT_NE(backdrop.Filtered({}), nullptr);
        uint64_t version = backdrop.Version();
        EXPECT_TRUE(backdrop.Refresh(true));
        EXPECT_NE(backdrop.Version(), version) << "a forced refresh drops the picture";

        // Saturation 0 and a blur are applied once and cached.
        std::vector<comp::detail::EffectStep> steps = {{comp::detail::EffectStep::Kind::Saturation, 0.0f, 0},
                                                        {comp::detail::EffectStep::Kind::GaussianBlur, 4.5f, 0}};
        const comp::BackdropPicture* grey = backdrop.Filtered(steps);
        ASSERT_NE(grey, nullptr);
        EXPECT_EQ(grey, backdrop.Filtered(steps));
        Px p = PixelAt(grey->pixels, width / 2, height / 8);
        EXPECT_EQ(p.r, p.g);
        EXPECT_EQ(p.g, p.b);
    }
    // Once the wallpaper is put back, the identity differs from the red one.
    comp::BackdropPicture after;
    comp::HostBackdrop::LoadDesktopWallpaper(after);
    EXPECT_EQ(after.identity, comp::HostBackdrop::CurrentWallpaperIdentity());
    CoUninitialize();
}

// The unfiltered picture is dropped once filtered ones exist; a new filter
// setting loads it again and gives what a fresh backdrop gives.
TEST(HostBackdrop, UnfilteredPictureIsReleasedAndReloadedOnDemand) {
    int loads = 0;
    auto loader = [&loads](comp::BackdropPicture& picture) {
        ++loads;
        picture.origin = {0, 0};
        picture.pixels.Reset(64, 32);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 64; ++x) picture.pixels.At(x, y) = raster::Bgra(x * 4, y * 8, 255 - x * 2, 255);
        }
        picture.identity = L"pattern";
        return true;
    };
    using Step = comp::detail::EffectStep;
    const std::vector<Step> blur = {{Step::Kind::GaussianBlur, 3.0f, 0}};
    const std::vector<Step> grey = {{Step::Kind::Saturation, 0.0f, 0}, {Step::Kind::GaussianBlur, 2.0f, 0}};

    comp::HostBackdrop backdrop;
    backdrop.SetLoader(loader);
    const comp::BackdropPicture* blurred = backdrop.Filtered(blur);
    ASSERT_NE(blurred, nullptr);
    EXPECT_EQ(backdrop.PixelBytes(), 2u * 64 * 32 * 4);
    backdrop.ReleaseUnfiltered();
    EXPECT_EQ(backdrop.PixelBytes(), 64u * 32 * 4) << "only the filtered picture stays";
    EXPECT_EQ(backdrop.Filtered(blur), blurred);
    EXPECT_EQ(loads, 1);

    const comp::BackdropPicture* greyed = backdrop.Filtered(grey);
    ASSERT_NE(greyed, nullptr);
    EXPECT_EQ(loads, 2);
    comp::HostBackdrop fresh;
    fresh.SetLoader(loader);
    const comp::BackdropPicture* expected = fresh.Filtered(grey);
    ASSERT_NE(expected, nullptr);
    EXPECT_TRUE(std::equal(greyed->pixels.Data(), greyed->pixels.Data() + 64 * 32, expected->pixels.Data()));

    // A brush showing the picture unfiltered keeps it.
    ASSERT_NE(backdrop.Filtered({}), nullptr);
    backdrop.ReleaseUnfiltered();
    EXPECT_EQ(backdrop.PixelBytes(), 3u * 64 * 32 * 4);
}
