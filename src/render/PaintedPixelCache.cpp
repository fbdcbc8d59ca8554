#include "render/PaintedPixelCache.h"

#include <algorithm>

#include "render/CompositionHost.h"

namespace {

size_t BytesOf(const raster::Image& pixels) {
    return static_cast<size_t>(pixels.Width()) * static_cast<size_t>(pixels.Height()) * 4;
}

}  // namespace

const raster::Image* PaintedPixelCache::Get(CompositionHost& host, const std::wstring& key, int width, int height,
                                            const Painter& paint) {
    if (auto found = index_.find(key); found != index_.end()) {
        entries_.splice(entries_.begin(), entries_, found->second);
        return &found->second->pixels;
    }
    if (width <= 0 || height <= 0) return nullptr;
    // One scratch surface, grown to the largest piece asked for: a new surface
    // per size would cost more than the pixels it saves.
    const SIZE have = scratch_ ? scratch_.SizeInt() : SIZE{0, 0};
    if (!scratch_ || have.cx < width || have.cy < height) {
        scratch_ = host.CreateDrawingSurface(std::max<int>(width, have.cx), std::max<int>(height, have.cy));
        if (!scratch_) return nullptr;
    }
    if (!host.Paint(scratch_, paint)) return nullptr;
    Entry entry{key, raster::Image(width, height)};
    const raster::Image& painted = scratch_.Pixels();
    for (int y = 0; y < height; ++y) {
        std::copy_n(painted.Data() + static_cast<size_t>(y) * painted.Width(), width,
                    entry.pixels.Data() + static_cast<size_t>(y) * width);
    }
    bytes_ += BytesOf(entry.pixels);
    entries_.push_front(std::move(entry));
    index_[key] = entries_.begin();
    while (bytes_ > kMostBytes && entries_.size() > 1) {
        bytes_ -= BytesOf(entries_.back().pixels);
        index_.erase(entries_.back().key);
        entries_.pop_back();
    }
    return &entries_.front().pixels;
}

void PaintedPixelCache::Clear() {
    entries_.clear();
    index_.clear();
    bytes_ = 0;
    scratch_ = nullptr;
}
