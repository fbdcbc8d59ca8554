#pragma once
// Premultiplied B, G, R, A pixels read back from a drawing surface of our
// compositor, and their comparison with a tolerance.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

#include "render/comp/DrawingSurface.h"

struct Bgra {
    int b = 0, g = 0, r = 0, a = 0;
};

inline Bgra BgraOf(uint32_t v) {
    return {static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF),
            static_cast<int>(v >> 24)};
}

inline Bgra SurfacePixel(const comp::CompositionDrawingSurface& surface, int x, int y) {
    return BgraOf(surface.Pixels().At(x, y));
}

inline ::testing::AssertionResult Near(Bgra got, Bgra want, int tolerance) {
    if (std::abs(got.b - want.b) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
        std::abs(got.r - want.r) <= tolerance && std::abs(got.a - want.a) <= tolerance) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "(" << got.b << ", " << got.g << ", " << got.r << ", " << got.a
                                         << ") is not (" << want.b << ", " << want.g << ", " << want.r << ", "
                                         << want.a << ") +- " << tolerance;
}
