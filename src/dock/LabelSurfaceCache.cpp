#include "dock/LabelSurfaceCache.h"

#include <algorithm>

comp::CompositionDrawingSurface LabelSurfaceCache::Find(const std::wstring& text, float scale, bool dark) {
    auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& entry) {
        return entry.text == text && entry.scale == scale && entry.dark == dark;
    });
    if (found == entries_.end()) return comp::CompositionDrawingSurface(nullptr);
    Entry hit = std::move(*found);
    entries_.erase(found);
    entries_.push_back(std::move(hit));
    return entries_.back().surface;
}

bool LabelSurfaceCache::Contains(const std::wstring& text, float scale, bool dark) const {
    return std::any_of(entries_.begin(), entries_.end(), [&](const Entry& entry) {
        return entry.text == text && entry.scale == scale && entry.dark == dark;
    });
}

void LabelSurfaceCache::Add(const std::wstring& text, float scale, bool dark,
                            const comp::CompositionDrawingSurface& surface) {
    if (!surface) return;
    std::erase_if(entries_,
                  [&](const Entry& entry) { return entry.text == text && entry.scale == scale && entry.dark == dark; });
    if (entries_.size() >= kCapacity) entries_.erase(entries_.begin());
    entries_.push_back({text, scale, dark, surface});
}
