#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ScopedPersonalizeValue.h"
#include "render/GlassTheme.h"
#include "render/WallpaperLuminance.h"

namespace {

class ScopedLuminance {
public:
    explicit ScopedLuminance(float value) : saved_(GetWallpaperLuminance()) {
        SetWallpaperLuminance(value);
    }
    ~ScopedLuminance() { SetWallpaperLuminance(saved_); }
    void Set(float value) { SetWallpaperLuminance(value); }

private:
    float saved_;
};

}  // namespace

TEST(GlassTheme, FixedThemesIgnoreWallpaperAndSystem) {
    ScopedPersonalizeValue apps(L"AppsUseLightTheme");
    apps.SetDword(1);
    ScopedLuminance luminance(0.1f);
    EXPECT_TRUE(IsDarkGlass(kGlassThemeDark));
    EXPECT_FALSE(IsDarkGlass(kGlassThemeLight));
    luminance.Set(0.9f);
    apps.SetDword(0);
    EXPECT_TRUE(IsDarkGlass(kGlassThemeDark));
    EXPECT_FALSE(IsDarkGlass(kGlassThemeLight));
}

TEST(GlassTheme, AMeasuredWallpaperDecidesAtPoint58) {
    ScopedPersonalizeValue apps(L"AppsUseLightTheme");
    apps.SetDword(0);
    ScopedLuminance luminance(0.57f);
    EXPECT_TRUE(IsDarkGlass(kGlassThemeSystem));
    luminance.Set(0.58f);
    EXPECT_FALSE(IsDarkGlass(kGlassThemeSystem)) << "the wallpaper wins over the app theme";
    luminance.Set(0.0f);
    apps.SetDword(1);
    EXPECT_TRUE(IsDarkGlass(kGlassThemeSystem));
    luminance.Set(1.0f);
    EXPECT_FALSE(IsDarkGlass(kGlassThemeSystem));
}

TEST(GlassTheme, WithoutAWallpaperTheAppThemeDecides) {
    ScopedPersonalizeValue apps(L"AppsUseLightTheme");
    ScopedLuminance luminance(-1.0f);
    apps.SetDword(1);
    EXPECT_FALSE(IsDarkGlass(kGlassThemeSystem));
    apps.SetDword(0);
    EXPECT_TRUE(IsDarkGlass(kGlassThemeSystem));
    apps.Remove();
    EXPECT_TRUE(IsDarkGlass(kGlassThemeSystem)) << "no value means dark";
    apps.SetText(L"1");
    EXPECT_TRUE(IsDarkGlass(kGlassThemeSystem)) << "a value of the wrong type is unreadable";
    // Out-of-range settings follow the system like 0.
    apps.SetDword(1);
    EXPECT_FALSE(IsDarkGlass(7));
}

TEST(GlassTheme, TransparencyIsOnUnlessSwitchedOff) {
    ScopedPersonalizeValue transparency(L"EnableTransparency");
    transparency.SetDword(0);
    EXPECT_FALSE(IsTransparencyEnabled());
    transparency.SetDword(1);
    EXPECT_TRUE(IsTransparencyEnabled());
    transparency.SetDword(2);
    EXPECT_TRUE(IsTransparencyEnabled());
    transparency.Remove();
    EXPECT_TRUE(IsTransparencyEnabled()) << "unreadable means on";
    transparency.SetText(L"0");
    EXPECT_TRUE(IsTransparencyEnabled()) << "a value of the wrong type is unreadable";
}
