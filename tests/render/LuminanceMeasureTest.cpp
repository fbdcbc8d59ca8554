#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <string>

#include "render/LuminanceTestSupport.h"
#include "render/WallpaperLumaCache.h"
#include "render/WallpaperLuminance.h"
#include "support/TestSupport.h"

using namespace luminance_testing;
using testing_support::TempDir;

namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};

// Wallpapers 640 x 360: the measured strip is the top 30 rows; the band is a
// little deeper so that scaling never blends the rest into the strip.
constexpr int kWidth = 640;
constexpr int kHeight = 360;
constexpr int kBand = 40;

class WallpaperMeasure : public ::testing::Test {
protected:
    void SetUp() override {
        com_ = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr,
                                                  CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory_)));
        system_ = RealWallpaperSystem();
        system_.cacheDirectory = [this] { return cache_.Path(); };
    }
    void TearDown() override {
        factory_.Reset();
        if (SUCCEEDED(com_)) CoUninitialize();
    }

    std::wstring Banded(const std::wstring& name, Rgb band, Rgb rest) {
        const std::wstring path = images_.File(name);
        WriteBmp(path, kWidth, kHeight, [&](int, int y) { return y < kBand ? band : rest; });
        return path;
    }

    HRESULT com_ = E_FAIL;
    Microsoft::WRL::ComPtr<IWICImagingFactory> factory_;
    TempDir images_;
    TempDir cache_;
    WallpaperSystem system_;
};

float DesktopLuma() {
    const COLORREF color = GetSysColor(COLOR_BACKGROUND);
    return LumaOf(GetRValue(color), GetGValue(color), GetBValue(color));
}

}  // namespace

TEST_F(WallpaperMeasure, OnlyTheTopStripCounts) {
    ScopedWallpaper white(Banded(L"white top.bmp", kWhite, kBlack));
    ASSERT_TRUE(white.Applied());
    EXPECT_NEAR(ComputeWallpaperLuminance(factory_.Get(), system_), 1.0f, 0.01f);

    ScopedWallpaper black(Banded(L"black top.bmp", kBlack, kWhite));
    ASSERT_TRUE(black.Applied());
    EXPECT_NEAR(ComputeWallpaperLuminance(factory_.Get(), system_), 0.0f, 0.01f);

    ScopedWallpaper green(Banded(L"绿色 top.bmp", Rgb{0, 255, 0}, kWhite));
    ASSERT_TRUE(green.Applied());
    EXPECT_NEAR(ComputeWallpaperLuminance(factory_.Get(), system_), 0.7152f, 0.005f);
}

TEST_F(WallpaperMeasure, WithoutAWallpaperTheDesktopColourCountsAndNothingIsCached) {
    ScopedWallpaper none(L"");
    ASSERT_TRUE(none.Applied());
    const float luminance = ComputeWallpaperLuminance(factory_.Get(), system_);
    EXPECT_FLOAT_EQ(luminance, DesktopLuma());

    // A desktop colour of our own proves the colour is read, not assumed.
    const int element = COLOR_BACKGROUND;
    const COLORREF before = GetSysColor(COLOR_BACKGROUND);
    const COLORREF green = RGB(0, 255, 0);
    ASSERT_TRUE(SetSysColors(1, &element, &green));
    const float greenLuma = ComputeWallpaperLuminance(factory_.Get(), system_);
    SetSysColors(1, &element, &before);
    EXPECT_NEAR(greenLuma, 0.7152f, 1e-6);

    SaveWallpaperLumaCache(luminance, system_);
    EXPECT_FALSE(testing_support::FileExists(GetWallpaperLumaCachePath(system_)));
    EXPECT_EQ(LoadWallpaperLumaCache(system_), -1.0f);
}

TEST_F(WallpaperMeasure, UndecodableWallpaperOrNoFactoryGiveTheDesktopColour) {
    const std::wstring broken = images_.File(L"broken.bmp");
    testing_support::WriteFileBytes(broken, "BM this is not a picture");
    ScopedWallpaper wallpaper(broken);
    ASSERT_TRUE(wallpaper.Applied());
    system_.desktopColor = [] { return RGB(255, 0, 0); };
    EXPECT_FLOAT_EQ(ComputeWallpaperLuminance(factory_.Get(), system_), 0.2126f);

    ScopedWallpaper white(Banded(L"white.bmp", kWhite, kWhite));
    ASSERT_TRUE(white.Applied());
    EXPECT_FLOAT_EQ(ComputeWallpaperLuminance(nullptr, system_), 0.2126f);
}

TEST_F(WallpaperMeasure, StampFollowsTheFile) {
    const std::wstring image = Banded(L"stamped.bmp", kWhite, kBlack);
    ScopedWallpaper wallpaper(image);
    ASSERT_TRUE(wallpaper.Applied());
    std::wstring path;
    uint64_t stamp = 0, again = 0;
    ASSERT_TRUE(GetWallpaperPathAndStamp(path, stamp, system_));
    EXPECT_EQ(path, image);
    ASSERT_TRUE(GetWallpaperPathAndStamp(path, again, system_));
    EXPECT_EQ(again, stamp);
    ASSERT_TRUE(SetLastWriteTime(image, 133000000000000000ull));
    ASSERT_TRUE(GetWallpaperPathAndStamp(path, again, system_));
    EXPECT_NE(again, stamp);

    ScopedWallpaper missing(images_.File(L"gone.bmp"));
    EXPECT_FALSE(GetWallpaperPathAndStamp(path, stamp, system_));
}
