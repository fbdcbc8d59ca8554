#pragma once
// The launcher chrome's colours and the drawing helpers its painters share
// (the chrome proper and the search field, painted on surfaces of their own).

#include <d2d1_1.h>

#include "allapps/AllAppsPaint.h"

namespace launcher_chrome {

struct ChromePalette {
    Rgba primary, secondary, control, focusedSearch, controlStroke, hoveredSearchStroke, hover, clearHover, separator;
};

inline ChromePalette PaletteFor(bool dark) {
    if (dark) {
        return {{0.97f, 0.98f, 1.00f, 0.98f},
                {0.78f, 0.82f, 0.89f, 0.86f},
                {1, 1, 1, 0.14f},
                {1, 1, 1, 0.19f},
                {1, 1, 1, 0.28f},
                {1, 1, 1, 0.44f},
                {1, 1, 1, 0.22f},
                {1, 1, 1, 0.24f},
                {1, 1, 1, 0.16f}};
    }
    return {{0.06f, 0.08f, 0.12f, 0.98f},
            {0.22f, 0.26f, 0.32f, 0.90f},
            {1, 1, 1, 0.62f},
            {1, 1, 1, 0.78f},
            {1, 1, 1, 0.82f},
            {0.04f, 0.52f, 1.00f, 0.48f},
            {1, 1, 1, 0.88f},
            {0, 0, 0, 0.12f},
            {0, 0, 0, 0.10f}};
}

constexpr Rgba kAccent{0.04f, 0.52f, 1.00f, 0.92f};
constexpr Rgba kAccentHover{0.08f, 0.58f, 1.00f, 0.98f};
constexpr Rgba kOnAccent{1, 1, 1, 0.98f};
constexpr Rgba kCloseHover{0.91f, 0.07f, 0.14f, 0.94f};
constexpr Rgba kCrossOnCloseHover{1, 1, 1, 0.99f};
constexpr Rgba kSelectedLetter{0.04f, 0.52f, 1.00f, 0.95f};

inline D2D1_RECT_F Box(float l, float t, float r, float b) { return D2D1::RectF(l, t, r, b); }

// Maps DIP onto the surface's pixels on top of the transform the draw set up.
class ScaledTransform {
public:
    ScaledTransform(ID2D1DeviceContext* context, float s) : context_(context) {
        context_->GetTransform(&saved_);
        context_->SetTransform(D2D1::Matrix3x2F::Scale(s, s) * saved_);
    }
    ~ScaledTransform() { context_->SetTransform(saved_); }
    ScaledTransform(const ScaledTransform&) = delete;
    ScaledTransform& operator=(const ScaledTransform&) = delete;

private:
    ID2D1DeviceContext* context_;
    D2D1_MATRIX_3X2_F saved_{};
};

inline void DrawCross(ID2D1DeviceContext* context, float cx, float cy, float half, Rgba color, float width) {
    DrawLine(context, cx - half, cy - half, cx + half, cy + half, color, width);
    DrawLine(context, cx - half, cy + half, cx + half, cy - half, color, width);
}

}  // namespace launcher_chrome
