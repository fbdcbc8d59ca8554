#pragma once
// Brightness of the desktop wallpaper under the top edge of the screen, which
// decides between dark and light glass while the theme follows the system.

#include <windows.h>
#include <wincodec.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

// Posted to the dock's input window by the measuring thread; wParam is the
// luminance x 1000, rounded.
inline constexpr UINT WM_DOCK_WALLPAPER_LUMA = 0x803E;

// Process-wide: 0..1 once measured, negative while nothing is known. Written by
// the dock, read by the glass; use the functions below.
extern std::atomic<float> WallpaperLuminance;
float GetWallpaperLuminance();
void SetWallpaperLuminance(float luminance);

// The system services behind the measurement and its cache. Every member
// defaults to the real call; tests replace single members.
struct WallpaperSystem {
    // The wallpaper path the system reports; empty when none is set.
    std::function<std::wstring()> wallpaperPath;
    // The desktop background colour (red in the low byte).
    std::function<COLORREF()> desktopColor;
    // The cache folder; empty means no cache.
    std::function<std::wstring()> cacheDirectory;
};
WallpaperSystem RealWallpaperSystem();

// Rec. 709 luma of an 8-bit colour, channels scaled to 0..1.
float LumaOf(uint8_t red, uint8_t green, uint8_t blue);

// Average luma over the first rows of a 32-bit BGRA image.
float AverageLumaOfRows(const uint8_t* bgra, uint32_t width, uint32_t rows, uint32_t stride);

// Luminance of the strip under the top edge of the current wallpaper, scaled to
// 64 x 36; the desktop colour's luma when there is no factory, no wallpaper or
// the image cannot be decoded; negative when not even that colour can be read.
// Safe from any thread with COM initialised.
float ComputeWallpaperLuminance(IWICImagingFactory* factory, const WallpaperSystem& system = RealWallpaperSystem());

// The current wallpaper's path and its ReadWallpaperFileStamp. False when
// there is no wallpaper or no stamp.
bool GetWallpaperPathAndStamp(std::wstring& path, uint64_t& stamp,
                              const WallpaperSystem& system = RealWallpaperSystem());
