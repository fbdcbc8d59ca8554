#pragma once
// "wallpaper.luma": the last measured luminance, keyed by the wallpaper's path
// and file stamp (ReadWallpaperFileStamp), so a start-up does not decode the wallpaper again.
// One UTF-8 line "stamp|luminance|path".

#include "render/WallpaperLuminance.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

struct WallpaperLumaEntry {
    uint64_t stamp = 0;
    double luminance = 0.0;
    std::wstring path;
};

// The cache folder joined with "wallpaper.luma"; empty without a cache folder.
std::wstring GetWallpaperLumaCachePath(const WallpaperSystem& system = RealWallpaperSystem());

// The cached luminance when the entry matches the current wallpaper's path
// (exactly, letter case included) and stamp and lies in 0..1; else -1.
float LoadWallpaperLumaCache(const WallpaperSystem& system = RealWallpaperSystem());

// Writes the entry for the current wallpaper. Does nothing for a value outside
// 0..1 or without wallpaper, stamp or cache folder; failures are silent.
void SaveWallpaperLumaCache(float luminance, const WallpaperSystem& system = RealWallpaperSystem());

// The file's bytes for an entry: byte-order mark, then
// "<stamp>|<luminance, 4 decimals>|<path>" and CR LF.
std::string FormatWallpaperLumaFile(uint64_t stamp, float luminance, const std::wstring& path);

// The entry in the first line of the file's bytes; empty when a field is
// missing or malformed, or the line is longer than any valid entry.
std::optional<WallpaperLumaEntry> ParseWallpaperLumaFile(std::string_view bytes);
