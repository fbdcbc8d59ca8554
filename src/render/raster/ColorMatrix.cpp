#include "render/raster/ColorMatrix.h"

#include <algorithm>
#include <cmath>

namespace raster {
namespace {

// A matrix that leaves alpha alone and adds no constant is linear in
// premultiplied colour, so it can work on the stored values directly, in fixed
// point, with the result clamped to 0..alpha.
bool KeepsAlphaWithoutOffsets(const ColorMatrix& c) {
    for (int col = 0; col < 3; ++col) {
        if (c.m[3][col] != 0.0f || c.m[4][col] != 0.0f) return false;
    }
    return c.m[0][3] == 0.0f && c.m[1][3] == 0.0f && c.m[2][3] == 0.0f && c.m[3][3] == 1.0f && c.m[4][3] == 0.0f;
}

void ApplyLinear(ImageView img, const ColorMatrix& c, const Rect& area) {
    constexpr int kShift = 14;
    int w[3][3];  // w[out][in], in R, G, B order
    for (int out = 0; out < 3; ++out) {
        for (int in = 0; in < 3; ++in) w[out][in] = static_cast<int>(std::lround(c.m[in][out] * (1 << kShift)));
    }
    for (int y = area.y; y < area.Bottom(); ++y) {
        uint32_t* __restrict row = img.Row(y);
        for (int x = area.x; x < area.Right(); ++x) {
            const uint32_t p = row[x];
            const int a = static_cast<int>(p >> 24);
            const int r = static_cast<int>((p >> 16) & 0xFF), g = static_cast<int>((p >> 8) & 0xFF),
                      b = static_cast<int>(p & 0xFF);
            int o[3];
            for (int k = 0; k < 3; ++k) {
                const int v = (w[k][0] * r + w[k][1] * g + w[k][2] * b + (1 << (kShift - 1))) >> kShift;
                o[k] = std::clamp(v, 0, a);
            }
            row[x] = Bgra(static_cast<uint32_t>(o[2]), static_cast<uint32_t>(o[1]), static_cast<uint32_t>(o[0]),
                          static_cast<uint32_t>(a));
        }
    }
}

void ApplyGeneral(ImageView img, const ColorMatrix& c, const Rect& area) {
    for (int y = area.y; y < area.Bottom(); ++y) {
        uint32_t* row = img.Row(y);
        for (int x = area.x; x < area.Right(); ++x) {
            const uint32_t p = row[x];
            const float a = AlphaOf(p) / 255.0f;
            float in[4] = {0, 0, 0, a};
            if (a > 0.0f) {
                in[0] = RedOf(p) / 255.0f / a;
                in[1] = GreenOf(p) / 255.0f / a;
                in[2] = BlueOf(p) / 255.0f / a;
            }
            float out[4];
            for (int k = 0; k < 4; ++k) {
                const float v =
                    in[0] * c.m[0][k] + in[1] * c.m[1][k] + in[2] * c.m[2][k] + in[3] * c.m[3][k] + c.m[4][k];
                out[k] = std::clamp(v, 0.0f, 1.0f);
            }
            auto byte = [](float v) { return static_cast<uint32_t>(v * 255.0f + 0.5f); };
            const float oa = out[3];
            row[x] = Bgra(byte(out[2] * oa), byte(out[1] * oa), byte(out[0] * oa), byte(oa));
        }
    }
}

}  // namespace

ColorMatrix SaturationMatrix(float s) {
    if (!(s > 0.0f)) s = 0.0f;
    const float weights[3] = {kSaturationRedWeight, kSaturationGreenWeight, kSaturationBlueWeight};
    ColorMatrix c;
    for (int in = 0; in < 3; ++in) {
        for (int out = 0; out < 3; ++out) c.m[in][out] = weights[in] * (1.0f - s) + (in == out ? s : 0.0f);
    }
    return c;
}

void ApplyColorMatrix(ImageView img, const ColorMatrix& m, const Rect& clip) {
    const Rect area = Intersect(img.Bounds(), clip);
    if (area.IsEmpty()) return;
    if (KeepsAlphaWithoutOffsets(m)) {
        ApplyLinear(img, m, area);
    } else {
        ApplyGeneral(img, m, area);
    }
}

void Saturate(ImageView img, float saturation, const Rect& clip) {
    ApplyColorMatrix(img, SaturationMatrix(saturation), clip);
}

}  // namespace raster
