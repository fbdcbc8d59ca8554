#pragma once
// Which glass a window gets: its style (what it is) and its theme (dark or light).

#include <cstdint>
#include <optional>

#include <windows.h>

// The kind of window a glass layer stands under.
enum class GlassStyle : int32_t {
    Dock = 0,
    TopBar = 1,
    Panel = 2,  // all-apps window, notification center
    Popup = 3,  // context menu, top-bar popover, notification banner
};

// The blur amount each kind of window hands to its glass layer.
float GlassBlurAmount(GlassStyle style);

// The "theme" setting: 0 follows the system (and the wallpaper), 1 dark, 2 light.
using GlassTheme = int32_t;
inline constexpr GlassTheme kGlassThemeSystem = 0;
inline constexpr GlassTheme kGlassThemeDark = 1;
inline constexpr GlassTheme kGlassThemeLight = 2;

// Wallpapers measured darker than this get dark glass.
inline constexpr float kDarkGlassLuminanceLimit = 0.58f;

// The system's transparency-effects switch; true when it cannot be read.
bool IsTransparencyEnabled();

// Dark or light glass for a theme, from the process-wide wallpaper luminance
// and, while none is known, the system's app theme. Any theme other than dark
// or light follows the system.
bool IsDarkGlass(GlassTheme theme);

// The decision behind IsDarkGlass: luminance is negative while unknown;
// appsUseLightTheme is empty when the system value cannot be read.
bool DecideDarkGlass(GlassTheme theme, float wallpaperLuminance, std::optional<DWORD> appsUseLightTheme);
