#pragma once
// What tells one wallpaper file from another under the same path.

#include <cstdint>
#include <string>

// One number that changes whenever the file at `path` does: a picture copied
// over the old one may keep its size and last-write time (copies keep it), but
// not its change time, and one renamed into place is another file (volume and
// index). Links are followed to the image itself. False when the file cannot
// be opened or asked.
bool ReadWallpaperFileStamp(const std::wstring& path, uint64_t& stamp);
