#include "system/tray/TrayIconPixels.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kTemplateEdge = 48;
constexpr size_t kTemplateBytes = kTemplateEdge * kTemplateEdge * 4;

int RoundHalfAway(double v) { return static_cast<int>(v < 0 ? -std::floor(-v + 0.5) : std::floor(v + 0.5)); }

void StoreChannels(const double channel[4], uint8_t* out) {
    int a = std::clamp(RoundHalfAway(channel[3]), 0, 255);
    for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(std::clamp(RoundHalfAway(channel[c]), 0, a));
    out[3] = static_cast<uint8_t>(a);
}

double Luminance(const uint8_t* px) {
    double rgb[3];
    for (int c = 0; c < 3; ++c) rgb[c] = std::min(255.0, static_cast<double>(px[2 - c]) * 255.0 / px[3]);
    return (0.299 * rgb[0] + 0.587 * rgb[1] + 0.114 * rgb[2]) / 255.0;
}

}  // namespace

bool FindOpaqueBounds(const std::vector<uint8_t>& pixels, int width, int height, int alphaThreshold, int& minX,
                      int& minY, int& maxX, int& maxY) {
    minX = width;
    minY = height;
    maxX = -1;
    maxY = -1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (pixels[(static_cast<size_t>(y) * width + x) * 4 + 3] < alphaThreshold) continue;
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        }
    }
    return maxX >= minX && maxY >= minY;
}

std::vector<uint8_t> FitIconPixels(const std::vector<uint8_t>& pixels, int width, int height, int target) {
    if (width <= 0 || height <= 0 || target <= 0) return {};
    if (pixels.size() != static_cast<size_t>(width) * height * 4) return {};
    int minX, minY, maxX, maxY;
    if (!FindOpaqueBounds(pixels, width, height, 24, minX, minY, maxX, maxY) &&
        !FindOpaqueBounds(pixels, width, height, 1, minX, minY, maxX, maxY)) {
        return std::vector<uint8_t>(static_cast<size_t>(target) * target * 4, 0);
    }

    int boxW = std::max(1, maxX - minX + 1);
    int boxH = std::max(1, maxY - minY + 1);
    int solid = 0;
    for (int y = minY; y <= maxY; ++y) {
        for (int x = minX; x <= maxX; ++x) {
            if (pixels[(static_cast<size_t>(y) * width + x) * 4 + 3] >= 128) ++solid;
        }
    }
    double fill = static_cast<double>(solid) / (static_cast<double>(boxW) * boxH);
    double t = std::clamp((fill - 0.55) / 0.33, 0.0, 1.0);
    double fraction = 0.9 - 0.1 * t;

    int cropX = std::max(0, minX - 1);
    int cropY = std::max(0, minY - 1);
    int cw = std::max(1, std::min(width - 1, maxX + 1) - cropX + 1);
    int ch = std::max(1, std::min(height - 1, maxY + 1) - cropY + 1);

    double scale = fraction * target / std::max(cw, ch);
    int dw = std::clamp(RoundHalfAway(cw * scale), 1, target);
    int dh = std::clamp(RoundHalfAway(ch * scale), 1, target);
    int ox = (target - dw) / 2;
    int oy = (target - dh) / 2;

    std::vector<uint8_t> out(static_cast<size_t>(target) * target * 4, 0);
    auto source = [&](int x, int y) { return &pixels[(static_cast<size_t>(cropY + y) * width + cropX + x) * 4]; };

    if (cw > dw || ch > dh) {
        for (int y = 0; y < dh; ++y) {
            double sy0 = static_cast<double>(y) * ch / dh, sy1 = static_cast<double>(y + 1) * ch / dh;
            int firstY = std::clamp(static_cast<int>(std::floor(sy0)), 0, ch - 1);
            int lastY = std::clamp(static_cast<int>(std::ceil(sy1)) - 1, 0, ch - 1);
            for (int x = 0; x < dw; ++x) {
                double sx0 = static_cast<double>(x) * cw / dw, sx1 = static_cast<double>(x + 1) * cw / dw;
                int firstX = std::clamp(static_cast<int>(std::floor(sx0)), 0, cw - 1);
                int lastX = std::clamp(static_cast<int>(std::ceil(sx1)) - 1, 0, cw - 1);
                double sum[4] = {0, 0, 0, 0};
                double weight = 0;
                for (int py = firstY; py <= lastY; ++py) {
                    double oyl = std::min(sy1, py + 1.0) - std::max(sy0, static_cast<double>(py));
                    if (oyl <= 0) continue;
                    for (int px = firstX; px <= lastX; ++px) {
                        double oxl = std::min(sx1, px + 1.0) - std::max(sx0, static_cast<double>(px));
                        if (oxl <= 0) continue;
                        double w = oxl * oyl;
                        const uint8_t* p = source(px, py);
                        for (int c = 0; c < 4; ++c) sum[c] += p[c] * w;
                        weight += w;
                    }
                }
                if (weight > 0) {
                    for (double& s : sum) s /= weight;
                }
                StoreChannels(sum, &out[(static_cast<size_t>(oy + y) * target + ox + x) * 4]);
            }
        }
    } else {
        for (int y = 0; y < dh; ++y) {
            double fy = std::clamp((y + 0.5) * ch / dh - 0.5, 0.0, static_cast<double>(ch - 1));
            int y0 = static_cast<int>(std::floor(fy));
            int y1 = std::min(y0 + 1, ch - 1);
            double ty = fy - y0;
            for (int x = 0; x < dw; ++x) {
                double fx = std::clamp((x + 0.5) * cw / dw - 0.5, 0.0, static_cast<double>(cw - 1));
                int x0 = static_cast<int>(std::floor(fx));
                int x1 = std::min(x0 + 1, cw - 1);
                double tx = fx - x0;
                const uint8_t* p00 = source(x0, y0);
                const uint8_t* p10 = source(x1, y0);
                const uint8_t* p01 = source(x0, y1);
                const uint8_t* p11 = source(x1, y1);
                double value[4];
                for (int c = 0; c < 4; ++c) {
                    value[c] = p00[c] * (1 - tx) * (1 - ty) + p10[c] * tx * (1 - ty) + p01[c] * (1 - tx) * ty +
                               p11[c] * tx * ty;
                }
                StoreChannels(value, &out[(static_cast<size_t>(oy + y) * target + ox + x) * 4]);
            }
        }
    }
    return out;
}

std::vector<uint8_t> MakeTemplateIcon(const std::vector<uint8_t>& pixels, int /*edge*/, bool dark) {
    if (pixels.size() != kTemplateBytes) return {};
    double weightSum = 0, weighted = 0, minL = 1, maxL = 0;
    for (size_t i = 0; i < kTemplateBytes; i += 4) {
        if (pixels[i + 3] < 24) continue;
        double l = Luminance(&pixels[i]);
        double w = pixels[i + 3] / 255.0;
        weightSum += w;
        weighted += w * l;
        minL = std::min(minL, l);
        maxL = std::max(maxL, l);
    }
    if (weightSum <= 0.001) return pixels;
    double mean = weighted / weightSum;
    double range = maxL - minL;

    std::vector<uint8_t> out(kTemplateBytes, 0);
    for (size_t i = 0; i < kTemplateBytes; i += 4) {
        uint8_t alpha = pixels[i + 3];
        if (alpha == 0) continue;
        double v;
        if (range < 0.18) {
            v = dark ? 0.98 : 0.07;
        } else {
            double g = std::clamp((mean - minL) / range, 0.0, 1.0);
            double l = std::clamp((Luminance(&pixels[i]) - minL) / range, 0.0, 1.0);
            double o = std::clamp((l - 0.5) * 1.25 + 0.5, 0.0, 1.0);
            if (dark) {
                v = (g < 0.45 ? 1 - o : o) * 0.83 + 0.16;
            } else {
                v = (g > 0.55 ? 1 - o : o) * 0.86 + 0.06;
            }
        }
        uint8_t grey = static_cast<uint8_t>(std::clamp(RoundHalfAway(v * alpha), 0, static_cast<int>(alpha)));
        out[i] = out[i + 1] = out[i + 2] = grey;
        out[i + 3] = alpha;
    }
    return out;
}
