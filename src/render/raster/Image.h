#pragma once
// Premultiplied BGRA images and the views the pixel operations work on.
//
// A pixel is one uint32_t whose bytes in memory are B, G, R, A (so the value
// reads 0xAARRGGBB on a little-endian machine), colour already multiplied by
// alpha. Views never own memory; an Image owns its pixels with stride == width.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "render/raster/PixelCount.h"

namespace raster {

struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int Right() const { return x + width; }
    int Bottom() const { return y + height; }
    bool IsEmpty() const { return width <= 0 || height <= 0; }
    bool Contains(int px, int py) const { return px >= x && py >= y && px < Right() && py < Bottom(); }
    // A clip that lets everything through.
    static constexpr Rect Everything() { return {-(1 << 29), -(1 << 29), 1 << 30, 1 << 30}; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// {0, 0, 0, 0} when the two do not overlap.
Rect Intersect(const Rect& a, const Rect& b);

struct RectF {
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
};

// The whole pixels that the area touches.
Rect PixelsCovering(const RectF& area);

// B, G, R, A as stored; all values 0..255.
constexpr uint32_t Bgra(uint32_t b, uint32_t g, uint32_t r, uint32_t a) { return b | (g << 8) | (r << 16) | (a << 24); }
constexpr uint32_t BlueOf(uint32_t p) { return p & 0xFF; }
constexpr uint32_t GreenOf(uint32_t p) { return (p >> 8) & 0xFF; }
constexpr uint32_t RedOf(uint32_t p) { return (p >> 16) & 0xFF; }
constexpr uint32_t AlphaOf(uint32_t p) { return p >> 24; }

// a * b / 255, rounded to nearest, exact for all 8-bit inputs.
constexpr uint32_t Mul255(uint32_t a, uint32_t b) {
    uint32_t t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

// All four channels of p times f / 255 (f 0..255), each rounded as Mul255
// does; two channels share one 32-bit lane.
constexpr uint32_t ScalePixel(uint32_t p, uint32_t f) {
    uint32_t rb = (p & 0x00FF00FFu) * f + 0x00800080u;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu)) >> 8) & 0x00FF00FFu;
    uint32_t ag = ((p >> 8) & 0x00FF00FFu) * f + 0x00800080u;
    ag = (ag + ((ag >> 8) & 0x00FF00FFu)) & 0xFF00FF00u;
    return rb | ag;
}

// Straight (non-premultiplied) 8-bit ARGB, as composition colours are given,
// to a premultiplied pixel.
constexpr uint32_t PremultiplyArgb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return Bgra(Mul255(b, a), Mul255(g, a), Mul255(r, a), a);
}

// Opacity 0..1 as the 0..255 factor every blend uses.
uint32_t OpacityToByte(float opacity);

// How an effect treats the edges of its input, after the two border modes of
// the effects the glass describes.
//   Hard: the output has exactly the input's bounds and never fades at its
//         edges: samples beyond an edge come from inside (clamped or mirrored).
//   Soft: transparent black lies beyond the input, so the edges fade.
enum class EdgeMode { Hard, Soft };

struct ImageView {
    uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;  // in pixels

    uint32_t* Row(int y) const { return pixels + y * stride; }
    uint32_t& At(int x, int y) const { return pixels[y * stride + x]; }
    Rect Bounds() const { return {0, 0, width, height}; }
    // The part of r inside the view; its (0, 0) is r's clipped top-left.
    ImageView Sub(const Rect& r) const;
};

struct ConstImageView {
    const uint32_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;

    ConstImageView() = default;
    ConstImageView(const uint32_t* p, int w, int h, std::ptrdiff_t s) : pixels(p), width(w), height(h), stride(s) {}
    ConstImageView(const ImageView& v) : pixels(v.pixels), width(v.width), height(v.height), stride(v.stride) {}

    const uint32_t* Row(int y) const { return pixels + y * stride; }
    uint32_t At(int x, int y) const { return pixels[y * stride + x]; }
    Rect Bounds() const { return {0, 0, width, height}; }
    ConstImageView Sub(const Rect& r) const;
};

class Image {
public:
    Image() = default;
    Image(int width, int height, uint32_t fill = 0);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool IsEmpty() const { return width_ <= 0 || height_ <= 0; }
    uint32_t& At(int x, int y) { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
    uint32_t At(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
    uint32_t* Data() { return pixels_.data(); }
    const uint32_t* Data() const { return pixels_.data(); }

    ImageView View() { return {pixels_.data(), width_, height_, width_}; }
    ConstImageView View() const { return {pixels_.data(), width_, height_, width_}; }

    // Keeps nothing of the old content; every pixel becomes fill.
    void Reset(int width, int height, uint32_t fill = 0);
    void Fill(uint32_t value) { std::fill(pixels_.begin(), pixels_.end(), value); }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t, CountedAllocator<uint32_t>> pixels_;
};

// 8-bit coverage (0 = nothing passes, 255 = everything), placed in the
// coordinates of the image it clips: `bounds` says where its (0, 0) lies and how
// far it reaches. Pixels outside the bounds have coverage 0.
struct ConstMaskView {
    const uint8_t* values = nullptr;
    Rect bounds;
    std::ptrdiff_t stride = 0;

    // The coverage of image pixel (x, y) and those to its right; inside the bounds only.
    const uint8_t* Span(int x, int y) const { return values + (y - bounds.y) * stride + (x - bounds.x); }
    uint8_t At(int x, int y) const { return bounds.Contains(x, y) ? *Span(x, y) : 0; }
};

struct MaskView {
    uint8_t* values = nullptr;
    Rect bounds;
    std::ptrdiff_t stride = 0;

    uint8_t* Span(int x, int y) const { return values + (y - bounds.y) * stride + (x - bounds.x); }
    operator ConstMaskView() const { return {values, bounds, stride}; }
};

class Mask {
public:
    Mask() = default;
    Mask(const Rect& bounds, uint8_t fill = 0);

    const Rect& Bounds() const { return bounds_; }
    uint8_t At(int x, int y) const { return View().At(x, y); }
    MaskView View() { return {values_.data(), bounds_, bounds_.width}; }
    ConstMaskView View() const { return {values_.data(), bounds_, bounds_.width}; }
    void Reset(const Rect& bounds, uint8_t fill = 0);

private:
    Rect bounds_;
    std::vector<uint8_t, CountedAllocator<uint8_t>> values_;
};

}  // namespace raster
