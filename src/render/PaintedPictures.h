#pragma once
// Whole pictures of a window, kept by the state that decides their pixels and
// copied to the window instead of drawn again. Under Wine every rounded
// rectangle, ellipse and run of glyphs of a Direct2D paint is tessellated and
// drawn anew, so a page of them costs more than a frame; a kept page is one
// copy of pixels. Pictures can be painted before their window exists.
//
// The newest kMostPictures stay. `Key` is everything the pixels follow (with
// ==); `Extra` is what the owner keeps beside a picture (what the paint
// recorded).

#include <windows.h>
#include <d2d1.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <utility>
#include <vector>

#include "render/GraphicsDevice.h"
#include "render/PictureCanvas.h"

namespace painted_pictures {

// A premultiplied BGRA picture of width x height pixels painted by `paint`
// onto a target of `dpi` on `canvas` (made or kept for that size); empty when
// any step fails.
std::vector<uint32_t> PaintPixels(PictureCanvas& canvas, const GraphicsDevice& device, UINT width, UINT height,
                                  float dpi, const std::function<void(ID2D1RenderTarget*)>& paint);
// Opaque pixels to `dc` at its top left.
void Show(HDC dc, const std::vector<uint32_t>& pixels, UINT width, UINT height);

}  // namespace painted_pictures

template <class Key, class Extra>
class PaintedPictures {
public:
    static constexpr size_t kMostPictures = 6;

    struct Picture {
        Key key;
        Extra extra;
        std::vector<uint32_t> pixels;  // premultiplied BGRA
        UINT width = 0;
        UINT height = 0;
    };

    // The picture kept for `key`, or null.
    const Picture* Find(const Key& key) {
        for (auto it = pictures_.begin(); it != pictures_.end(); ++it) {
            if (!(it->key == key)) continue;
            pictures_.splice(pictures_.begin(), pictures_, it);
            return &pictures_.front();
        }
        return nullptr;
    }

    const Picture& Keep(Key key, Extra extra, std::vector<uint32_t> pixels, UINT width, UINT height) {
        pictures_.remove_if([&](const Picture& kept) { return kept.key == key; });
        Picture picture;
        picture.key = std::move(key);
        picture.extra = std::move(extra);
        picture.pixels = std::move(pixels);
        picture.width = width;
        picture.height = height;
        pictures_.push_front(std::move(picture));
        while (pictures_.size() > kMostPictures) pictures_.pop_back();
        return pictures_.front();
    }

    void Clear() { pictures_.clear(); }
    size_t Size() const { return pictures_.size(); }

private:
    std::list<Picture> pictures_;  // newest first
};
