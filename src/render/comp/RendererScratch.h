#pragma once
// Buffers lent from a window's ComposeScratch for the length of one scope.

#include "render/comp/Renderer.h"

namespace comp::detail {

// A cleared image of the given size: from the window's scratch buffers when it
// keeps them, otherwise its own.
class ScratchImage {
public:
    ScratchImage(ComposeScratch* pool, int width, int height) : pool_(pool) {
        if (pool_) {
            if (pool_->imagesLent == pool_->images.size()) pool_->images.emplace_back();
            image_ = &pool_->images[pool_->imagesLent++];
        } else {
            image_ = &own_;
        }
        image_->Reset(width, height);
    }
    ~ScratchImage() {
        if (pool_) --pool_->imagesLent;
    }
    ScratchImage(const ScratchImage&) = delete;
    ScratchImage& operator=(const ScratchImage&) = delete;
    raster::Image& operator*() { return *image_; }
    raster::Image* operator->() { return image_; }

private:
    ComposeScratch* pool_;
    raster::Image own_;
    raster::Image* image_ = nullptr;
};

class ScratchMask {
public:
    ScratchMask(ComposeScratch* pool, const raster::Rect& bounds) : pool_(pool) {
        if (pool_) {
            if (pool_->masksLent == pool_->masks.size()) pool_->masks.emplace_back();
            mask_ = &pool_->masks[pool_->masksLent++];
        } else {
            mask_ = &own_;
        }
        mask_->Reset(bounds);
    }
    ~ScratchMask() {
        if (pool_) --pool_->masksLent;
    }
    ScratchMask(const ScratchMask&) = delete;
    ScratchMask& operator=(const ScratchMask&) = delete;
    raster::Mask& operator*() { return *mask_; }
    raster::Mask* operator->() { return mask_; }

private:
    ComposeScratch* pool_;
    raster::Mask own_;
    raster::Mask* mask_ = nullptr;
};

}  // namespace comp::detail
