#pragma once
// Decoded icon pixels and one queued extraction, shared by the icon loader,
// its disk cache, its workers and its drawing.

#include <cstdint>
#include <string>
#include <vector>

// Premultiplied BGRA, rows top to bottom, each exactly width * 4 bytes.
struct IconBitmap {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;

    bool Usable() const { return width > 0 && height > 0 && !pixels.empty(); }
};

struct IconRequest {
    std::wstring key;          // the caller's item key, unchanged
    std::wstring path;         // what to extract from
    std::wstring primary;      // when not empty, tried before path (a launch id)
    std::wstring displayName;  // travels with the request; the worker does not use it
    int32_t size = 48;         // already clamped to the icon size range
    bool macStyle = false;
    // A launcher tile's: the worker looks at the disk cache and whether the
    // target is a folder before it extracts, so the UI thread touches no file.
    bool tile = false;
};

constexpr int kMinIconSize = 32;
constexpr int kMaxIconSize = 160;

inline int ClampIconSize(int size) {
    return size < kMinIconSize ? kMinIconSize : (size > kMaxIconSize ? kMaxIconSize : size);
}

// Edge length of the pixels extracted for an icon of clamped size s: the whole
// square, or in mac style the plate's inner square (0.64 s, at least 32).
int ExtractionPixelSize(int size, bool macStyle);

// True when the image has a pixel that is not fully transparent and is larger
// than 1 x 1: the shell can hand out blank images that must count as failures.
bool HasVisibleContent(const IconBitmap& bitmap);
