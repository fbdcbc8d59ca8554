#pragma once
// Linear gradients and gradient-stroked rounded outlines built as premultiplied
// pixels. Some Direct2D implementations hand gradient brushes' colours to the
// target unpremultiplied, which washes a translucent texture with colour where
// it should be clear; textures built here look the same everywhere.

#include <vector>

#include "render/raster/Image.h"

// Straight (not premultiplied) colour, channels 0..1, at a position 0..1.
struct GradientStop {
    float position = 0;
    float r = 0, g = 0, b = 0, a = 0;
};

// The premultiplied pixel of the gradient at t: clamped to the first and last
// stops, interpolated between neighbours in premultiplied colour.
uint32_t GradientPixel(const std::vector<GradientStop>& stops, float t);

// width x height pixels of a gradient from (0, 0) to (0, length), sampled at
// pixel centres; rows from length on stay transparent.
raster::Image VerticalGradientImage(int width, int height, float length, const std::vector<GradientStop>& stops);

// The premultiplied pixel of a straight colour, channels 0..1.
uint32_t PremultipliedPixel(float r, float g, float b, float a);

// Fills (source-over) the rounded rectangle with corners of the given radii
// with a premultiplied colour.
void FillRoundedRect(raster::Image& image, const raster::RectF& shape, float radiusX, float radiusY, uint32_t colour);

// Draws (source-over) the outline of the rounded rectangle (inset, inset) to
// (side - inset, side - inset) with the given radius, a stroke of the given
// width centred on it, coloured by a gradient running from (0, 0) to
// (gradientEnd, gradientEnd).
void StrokeRoundedSquare(raster::Image& image, float side, float inset, float radius, float strokeWidth,
                         const std::vector<GradientStop>& stops, float gradientEnd);
