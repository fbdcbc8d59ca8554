#include "render/PaintedPixelCache.h"

#include <algorithm>

#include "render/CompositionHost.h"

namespace {

size_t BytesOf(const raster::Image& pixels) {
    return static_cast<size_t>(pixels.Width()) * static_cast<size_t>(pixels.Height()) * 4;
}

// A miss costs a clear, a draw and a read-back of its whole surface: a
// surface more than twice the piece's area would cost more than making one.
bool Fits(SIZE have, int width, int height) {
    return have.cx >= width && have.cy >= height && static_cast<long long>(have.cx) * have.cy <= 2LL * width * height;
}

}  // namespace

comp::CompositionDrawingSurface PaintedPixelCache::ScratchFor(CompositionHost& host, int width, int height) {
    auto best = scratches_.end();
    for (auto it = scratches_.begin(); it != scratches_.end(); ++it) {
        const SIZE have = it->SizeInt();
        if (!Fits(have, width, height)) continue;
        if (best == scratches_.end() || static_cast<long long>(have.cx) * have.cy <
                                            static_cast<long long>(best->SizeInt().cx) * best->SizeInt().cy) {
            best = it;
        }
    }
    if (best != scratches_.end()) {
        scratches_.splice(scratches_.begin(), scratches_, best);
        return scratches_.front();
    }
    comp::CompositionDrawingSurface made = host.CreateDrawingSurface(width, height);
    // A large piece is rare and kept once painted: its scratch is not worth
    // the memory it would hold.
    if (!made || static_cast<size_t>(width) * static_cast<size_t>(height) * 4 > kMostScratchBytes) return made;
    scratches_.push_front(made);
    if (scratches_.size() > kScratchesKept) scratches_.pop_back();
    return made;
}

const raster::Image* PaintedPixelCache::Find(const std::wstring& key) {
    auto found = index_.find(key);
    if (found == index_.end()) return nullptr;
    entries_.splice(entries_.begin(), entries_, found->second);
    return &found->second->pixels;
}

const raster::Image* PaintedPixelCache::Keep(const std::wstring& key, raster::Image pixels) {
    if (auto found = index_.find(key); found != index_.end()) {
        bytes_ -= BytesOf(found->second->pixels);
        entries_.erase(found->second);
        index_.erase(found);
    }
    bytes_ += BytesOf(pixels);
    entries_.push_front(Entry{key, std::move(pixels)});
    index_[key] = entries_.begin();
    while (bytes_ > kMostBytes && entries_.size() > 1) {
        bytes_ -= BytesOf(entries_.back().pixels);
        index_.erase(entries_.back().key);
        entries_.pop_back();
    }
    return &entries_.front().pixels;
}

const raster::Image* PaintedPixelCache::Get(CompositionHost& host, const std::wstring& key, int width, int height,
                                            const Painter& paint) {
    if (const raster::Image* kept = Find(key)) return kept;
    if (width <= 0 || height <= 0) return nullptr;
    const comp::CompositionDrawingSurface scratch = ScratchFor(host, width, height);
    if (!scratch || !host.Paint(scratch, paint)) return nullptr;
    raster::Image pixels(width, height);
    const raster::Image& painted = scratch.Pixels();
    for (int y = 0; y < height; ++y) {
        std::copy_n(painted.Data() + static_cast<size_t>(y) * painted.Width(), width,
                    pixels.Data() + static_cast<size_t>(y) * width);
    }
    return Keep(key, std::move(pixels));
}

void PaintedPixelCache::Clear() {
    entries_.clear();
    index_.clear();
    bytes_ = 0;
    scratches_.clear();
}
