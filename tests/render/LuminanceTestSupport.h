#pragma once
// Real wallpapers for the luminance tests: bitmap files written here and set as
// the desktop wallpaper through the system, restored afterwards.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace luminance_testing {

struct Rgb {
    uint8_t red, green, blue;
};

// A 24-bit bottom-up BMP file; colorAt receives top-down row numbers.
void WriteBmp(const std::wstring& path, int width, int height,
              const std::function<Rgb(int x, int y)>& colorAt);

// What the system reports as the wallpaper now.
std::wstring CurrentWallpaper();

// Sets the system wallpaper for the life of the object, then puts back the one before.
class ScopedWallpaper {
public:
    explicit ScopedWallpaper(const std::wstring& path);
    ~ScopedWallpaper();
    ScopedWallpaper(const ScopedWallpaper&) = delete;
    ScopedWallpaper& operator=(const ScopedWallpaper&) = delete;
    bool Applied() const { return applied_; }

private:
    std::wstring previous_;
    bool applied_ = false;
};

// Sets a file's last-write time (100-ns units since 1601).
bool SetLastWriteTime(const std::wstring& path, uint64_t stamp);

}  // namespace luminance_testing
