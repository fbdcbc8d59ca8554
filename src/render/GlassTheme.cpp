#include "render/GlassTheme.h"

#include "render/WallpaperLuminance.h"

namespace {

constexpr wchar_t kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

std::optional<DWORD> ReadPersonalizeDword(const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(HKEY_CURRENT_USER, kPersonalizeKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

float GlassBlurAmount(GlassStyle style) {
    switch (style) {
        case GlassStyle::Dock:
        case GlassStyle::TopBar:
            return 4.5f;
        case GlassStyle::Panel:
        case GlassStyle::Popup:
            return 9.0f;
    }
    return 9.0f;
}

bool IsTransparencyEnabled() {
    const std::optional<DWORD> value = ReadPersonalizeDword(L"EnableTransparency");
    return !value || *value != 0;
}

bool DecideDarkGlass(GlassTheme theme, float wallpaperLuminance, std::optional<DWORD> appsUseLightTheme) {
    if (theme == kGlassThemeDark) return true;
    if (theme == kGlassThemeLight) return false;
    // Compared as float: the stored value is a float, and 0.58 itself is light.
    if (wallpaperLuminance >= 0.0f) return wallpaperLuminance < kDarkGlassLuminanceLimit;
    return !appsUseLightTheme || *appsUseLightTheme == 0;
}

bool IsDarkGlass(GlassTheme theme) {
    if (theme == kGlassThemeDark || theme == kGlassThemeLight) {
        return DecideDarkGlass(theme, -1.0f, std::nullopt);
    }
    const float luminance = GetWallpaperLuminance();
    // The registry is asked only while no wallpaper has been measured.
    if (luminance >= 0.0f) return DecideDarkGlass(theme, luminance, std::nullopt);
    return DecideDarkGlass(theme, luminance, ReadPersonalizeDword(L"AppsUseLightTheme"));
}
