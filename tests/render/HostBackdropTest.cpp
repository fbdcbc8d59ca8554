// The host backdrop shows the real desktop wallpaper, stretched over the
// screen, and follows a change of wallpaper.
#include <gtest/gtest.h>

#include <objbase.h>

#include <algorithm>
#include <filesystem>

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

        // Another picture copied over it with the same size and time is another wallpaper.
        const std::wstring identity = comp::HostBackdrop::CurrentWallpaperIdentity();
        WIN32_FILE_ATTRIBUTE_DATA data = {};
        ASSERT_TRUE(GetFileAttributesExW(topRed.c_str(), GetFileExInfoStandard, &data));
        WriteBmp(topRed, 64, 36, [](int, int) { return Rgb{0, 255, 0}; });
        ASSERT_TRUE(SetLastWriteTime(topRed, (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                                 data.ftLastWriteTime.dwLowDateTime));
        EXPECT_NE(comp::HostBackdrop::CurrentWallpaperIdentity(), identity);

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

    // A picture of its own is never taken for a wallpaper that changed.
    Sleep(1100);
    const uint64_t version = backdrop.Version();
    EXPECT_FALSE(backdrop.Refresh());
    EXPECT_EQ(backdrop.Version(), version);
}

// Only the band of rows a window needs is filtered, on a worker when asked
// ahead; its pixels equal the same rows of the whole picture filtered, with
// the rows a blur reads beyond the band, a translation and the picture's edges.
TEST(HostBackdrop, BandEqualsTheSameRowsOfTheWholeFiltering) {
    auto loader = [](comp::BackdropPicture& picture) {
        picture.origin = {-40, 30};
        picture.pixels.Reset(160, 240);
        uint32_t seed = 12345;
        for (int y = 0; y < 240; ++y) {
            for (int x = 0; x < 160; ++x) {
                seed = seed * 1664525u + 1013904223u;
                picture.pixels.At(x, y) = raster::Bgra((seed >> 8) & 255, (seed >> 16) & 255, y, 255);
            }
        }
        picture.identity = L"noise";
        return true;
    };
    using Step = comp::detail::EffectStep;
    const std::vector<Step> glass = {{Step::Kind::Saturation, 1.48f, 0}, {Step::Kind::GaussianBlur, 4.5f, 0}};
    const std::vector<Step> lens = {{Step::Kind::Saturation, 1.8f, 0},
                                    {Step::Kind::GaussianBlur, 1.4f, 0},
                                    {Step::Kind::Translation, 0.0f, 7.5f}};
    comp::HostBackdrop whole;
    whole.SetLoader(loader);
    struct Case {
        const std::vector<Step>* steps;
        int top, bottom;
        bool prepared;
    };
    // Screen rows: the picture spans 30..270.
    const Case cases[] = {{&glass, 130, 170, false}, {&glass, 200, 400, true}, {&lens, 0, 60, true},
                          {&lens, 100, 140, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "rows " << c.top << ".." << c.bottom);
        const comp::BackdropPicture* all = whole.Filtered(*c.steps);
        ASSERT_NE(all, nullptr);
        comp::HostBackdrop banded;
        banded.SetLoader(loader);
        if (c.prepared) banded.Prepare(*c.steps, c.top, c.bottom);
        const comp::BackdropPicture* band = banded.Filtered(*c.steps, c.top, c.bottom);
        ASSERT_NE(band, nullptr);
        EXPECT_EQ(band->origin.x, -40);
        EXPECT_EQ(band->pixels.Width(), 160);
        EXPECT_LT(band->pixels.Height(), 240) << "only a band is filtered";
        EXPECT_LE(band->origin.y, std::max(c.top, 30));
        EXPECT_GE(band->origin.y + band->pixels.Height(), std::min(c.bottom, 270));
        EXPECT_EQ(banded.PixelBytes(), static_cast<size_t>(band->pixels.Height() + (c.prepared ? 0 : 240)) * 160 * 4)
            << "a prepared band loads no unfiltered picture here";
        int worst = 0;
        for (int y = 0; y < band->pixels.Height(); ++y) {
            for (int x = 0; x < 160; ++x) {
                Px a = PixelAt(band->pixels, x, y);
                Px b = PixelAt(all->pixels, x, y + band->origin.y - 30);
                worst = std::max({worst, std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b),
                                  std::abs(a.a - b.a)});
            }
        }
        EXPECT_LE(worst, 1);
        EXPECT_EQ(banded.Filtered(*c.steps, c.top + 2, c.bottom - 2), band) << "a covered band is reused";
    }
}

// A band kept in a file comes back to the next backdrop with the same pixels
// and without loading the wallpaper; another wallpaper's band, or a damaged
// file, is filtered again.
TEST(HostBackdrop, AKeptBandIsTakenForTheSameWallpaperOnly) {
    testing_support::TempDir folder;
    std::wstring wallpaper = L"first";
    int loads = 0;
    auto loader = [&](comp::BackdropPicture& picture) {
        ++loads;
        picture.pixels.Reset(64, 200);
        for (int y = 0; y < 200; ++y) {
            for (int x = 0; x < 64; ++x) {
                picture.pixels.At(x, y) = raster::Bgra(x * 4, y, static_cast<int>(wallpaper.size()) * 20, 255);
            }
        }
        picture.identity = wallpaper;
        return true;
    };
    using Step = comp::detail::EffectStep;
    const std::vector<Step> glass = {{Step::Kind::Saturation, 1.48f, 0}, {Step::Kind::GaussianBlur, 4.5f, 0}};
    auto band = [&] {
        comp::HostBackdrop backdrop;
        backdrop.SetLoader(loader);
        backdrop.KeepBandsIn(folder.Path(), [&] { return wallpaper; });
        backdrop.Prepare(glass, 120, 160);
        const comp::BackdropPicture* picture = backdrop.Filtered(glass, 120, 160);
        return picture ? std::vector<uint32_t>(picture->pixels.Data(),
                                               picture->pixels.Data() + picture->pixels.Width() * picture->pixels.Height())
                       : std::vector<uint32_t>();
    };
    const std::vector<uint32_t> first = band();
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(band(), first);
    EXPECT_EQ(loads, 1) << "the second band came from the file";

    wallpaper = L"second";
    const std::vector<uint32_t> second = band();
    EXPECT_EQ(loads, 2);
    EXPECT_NE(second, first);

    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        std::filesystem::resize_file(entry.path(), std::filesystem::file_size(entry.path()) - 1);
    }
    EXPECT_EQ(band(), second);
    EXPECT_EQ(loads, 3) << "a damaged file is not taken";

    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        const auto size = std::filesystem::file_size(entry.path());
        std::filesystem::resize_file(entry.path(), size - 64 * 40 * 4);
        std::filesystem::resize_file(entry.path(), size);
    }
    EXPECT_EQ(band(), second);
    EXPECT_EQ(loads, 4) << "a file whose pixels were zeroed is not taken";
}
