#pragma once
// The hover label's painted bubbles, keyed by what decides their pixels (text,
// scale, dark or light glass): moving back to an icon whose label was shown
// before costs no measuring or painting. Enough of them for a whole row, so a
// pointer gliding along the dock and back never paints a label twice; a bubble
// is a few tens of kilobytes.

#include <cstddef>
#include <string>
#include <vector>

#include "render/comp/DrawingSurface.h"

class LabelSurfaceCache {
public:
    static constexpr size_t kCapacity = 32;

    // The surface painted for these, or a null handle; a hit becomes the newest.
    comp::CompositionDrawingSurface Find(const std::wstring& text, float scale, bool dark);
    bool Contains(const std::wstring& text, float scale, bool dark) const;
    // Keeps the surface; the least recently used one goes when the cache is full.
    void Add(const std::wstring& text, float scale, bool dark, const comp::CompositionDrawingSurface& surface);
    // Surfaces of a lost device must never be shown again.
    void Clear() { entries_.clear(); }
    size_t Size() const { return entries_.size(); }

private:
    struct Entry {
        std::wstring text;
        float scale;
        bool dark;
        comp::CompositionDrawingSurface surface;
    };
    std::vector<Entry> entries_;  // oldest first
};
