// The host backdrop shows the real desktop wallpaper, stretched over the
// screen, and follows a change of wallpaper.
#include <gtest/gtest.h>

#include <objbase.h>

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
