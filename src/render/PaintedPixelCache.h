#pragma once
// Pixels painted once and kept: the text runs and glyph-like shapes that the
// windows draw again and again (a menu title, the clock, a status glyph, a
// control's caption) are painted with Direct2D the first time they are asked
// for and copied from then on. The key names everything that decides the
// pixels: text, format, colour, scale, theme and size. Past a byte budget the
// pieces used least recently go; the dock empties the cache at its idle trim
// and after a device loss.

#include <d2d1_1.h>

#include <cstddef>
#include <functional>
#include <list>
#include <string>
#include <unordered_map>

#include "render/comp/DrawingSurface.h"
#include "render/raster/Image.h"

class CompositionHost;

class PaintedPixelCache {
public:
    static constexpr size_t kMostBytes = 8u << 20;
    using Painter = std::function<void(ID2D1DeviceContext*)>;

    // The piece kept for `key`, or painted now by `paint` onto a transparent
    // width x height picture whose top left is the piece's, then kept. Null
    // when it cannot be painted (the failure goes to the host). The pointer
    // holds until the next Get or Clear.
    const raster::Image* Get(CompositionHost& host, const std::wstring& key, int width, int height,
                             const Painter& paint);
    // The same for pieces made without Direct2D: the piece kept for `key`,
    // or null; and `pixels` kept for it from now on.
    const raster::Image* Find(const std::wstring& key);
    const raster::Image* Keep(const std::wstring& key, raster::Image pixels);
    void Clear();
    size_t Bytes() const { return bytes_; }
    size_t Size() const { return entries_.size(); }

    // Scratch surfaces kept for the next misses, and the largest one kept.
    static constexpr size_t kScratchesKept = 4;
    static constexpr size_t kMostScratchBytes = 512u << 10;

private:
    struct Entry {
        std::wstring key;
        raster::Image pixels;
    };
    // A surface that covers width x height without being much larger, from
    // those kept or made now; null when it cannot be made.
    comp::CompositionDrawingSurface ScratchFor(CompositionHost& host, int width, int height);

    std::list<Entry> entries_;  // newest first
    std::unordered_map<std::wstring, std::list<Entry>::iterator> index_;
    size_t bytes_ = 0;
    std::list<comp::CompositionDrawingSurface> scratches_;  // most recently used first
};
