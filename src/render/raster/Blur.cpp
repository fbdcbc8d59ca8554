#include "render/raster/Blur.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace raster {
namespace {

// Four channels (B, G, R, A) of one pixel, 0..255, processed as one SSE vector.
typedef float F4 __attribute__((vector_size(16)));

constexpr int kBoxPasses = 4;
constexpr int kStripPixels = 32;  // columns per vertical strip: keeps a strip in cache

struct Box {
    int radius = 0;
    float inner = 1.0f;  // weight of the 2 radius + 1 central samples
    float edge = 0.0f;   // weight of the two samples just beyond them
};

struct Kernel {
    bool boxes = false;
    Box box;                     // the same box for every pass
    std::vector<float> weights;  // sampled Gaussian, weights[|k|] for k = -radius..radius
    int radius = 0;
    int reach = 0;  // how far an output depends on the input, in pixels
};

Kernel MakeKernel(float sigma, BlurKernel kind) {
    Kernel k;
    const bool boxes =
        kind == BlurKernel::Boxes || (kind == BlurKernel::Automatic && sigma > kLargestSampledDeviation);
    if (boxes) {
        // A box of radius r with end weight alpha has variance
        // (r (r + 1) (2 r + 1) / 3 + 2 alpha (r + 1)^2) / (2 r + 1 + 2 alpha).
        const double v = static_cast<double>(sigma) * sigma / kBoxPasses;
        const int r = std::max(0, static_cast<int>(std::floor(0.5 * std::sqrt(12.0 * v + 1.0) - 0.5)));
        const double width = 2.0 * r + 1.0;
        double alpha = width * (r * (r + 1.0) - 3.0 * v) / (6.0 * (v - (r + 1.0) * (r + 1.0)));
        alpha = std::clamp(alpha, 0.0, 1.0);
        const double total = width + 2.0 * alpha;
        k.boxes = true;
        k.box = {r, static_cast<float>(1.0 / total), static_cast<float>(alpha / total)};
        k.reach = kBoxPasses * (r + 1);
        return k;
    }
    const int radius = std::max(1, static_cast<int>(std::ceil(3.0 * sigma)));
    k.radius = radius;
    k.weights.resize(radius + 1);
    double sum = 0.0;
    for (int i = 0; i <= radius; ++i) {
        const double w = std::exp(-(static_cast<double>(i) * i) / (2.0 * sigma * sigma));
        k.weights[i] = static_cast<float>(w);
        sum += i == 0 ? w : 2.0 * w;
    }
    for (float& w : k.weights) w = static_cast<float>(w / sum);
    k.reach = radius;
    return k;
}

// Source index for position s of an infinitely extended line of n samples;
// -1 for transparent black.
inline int MapIndex(int s, int n, EdgeMode edges) {
    if (s >= 0 && s < n) return s;
    if (edges == EdgeMode::Soft) return -1;
    const int period = 2 * n;
    int m = s % period;
    if (m < 0) m += period;
    return m < n ? m : period - 1 - m;
}

inline F4 Load(uint32_t p) {
    return F4{static_cast<float>(p & 0xFF), static_cast<float>((p >> 8) & 0xFF), static_cast<float>((p >> 16) & 0xFF),
              static_cast<float>(p >> 24)};
}

inline uint32_t Store(F4 v) {
    auto channel = [](float c, float limit) {
        return static_cast<uint32_t>(std::clamp(c + 0.5f, 0.0f, limit));
    };
    const uint32_t a = channel(v[3], 255.0f);
    const float limit = static_cast<float>(a) + 0.5f;  // premultiplied colour never exceeds alpha
    return Bgra(std::min(channel(v[0], limit), a), std::min(channel(v[1], limit), a),
                std::min(channel(v[2], limit), a), a);
}

// A run of `length` positions, each holding `lanes` pixels side by side, with
// `margin` zeroed positions before and after it. Blurs run along positions.
class Lines {
public:
    void Reset(int length, int lanes, int margin) {
        length_ = length;
        lanes_ = lanes;
        margin_ = margin;
        data_.assign(static_cast<std::size_t>(length + 2 * margin) * lanes, F4{0, 0, 0, 0});
    }
    F4* At(int position) { return data_.data() + static_cast<std::ptrdiff_t>(position + margin_) * lanes_; }
    int Length() const { return length_; }
    int Lanes() const { return lanes_; }

private:
    std::vector<F4> data_;
    int length_ = 0;
    int lanes_ = 0;
    int margin_ = 0;
};

// One box pass from `in` to `out` (same shape); margins of `in` read as zero.
void BoxPass(Lines& in, Lines& out, const Box& box, std::vector<F4>& sums) {
    const int lanes = in.Lanes(), r = box.radius;
    sums.assign(lanes, F4{0, 0, 0, 0});
    F4* __restrict s = sums.data();
    for (int k = -r; k <= r; ++k) {
        const F4* row = in.At(k);
        for (int j = 0; j < lanes; ++j) s[j] += row[j];
    }
    const F4 inner = {box.inner, box.inner, box.inner, box.inner};
    const F4 edge = {box.edge, box.edge, box.edge, box.edge};
    for (int i = 0; i < in.Length(); ++i) {
        const F4* __restrict before = in.At(i - r - 1);
        const F4* __restrict first = in.At(i - r);
        const F4* __restrict after = in.At(i + r + 1);
        F4* __restrict o = out.At(i);
        for (int j = 0; j < lanes; ++j) {
            o[j] = inner * s[j] + edge * (before[j] + after[j]);
            s[j] += after[j] - first[j];
        }
    }
}

void GaussianPass(Lines& in, Lines& out, const Kernel& k) {
    const int lanes = in.Lanes();
    for (int i = 0; i < in.Length(); ++i) {
        F4* __restrict o = out.At(i);
        const F4* __restrict centre = in.At(i);
        const F4 w0 = {k.weights[0], k.weights[0], k.weights[0], k.weights[0]};
        for (int j = 0; j < lanes; ++j) o[j] = w0 * centre[j];
        for (int d = 1; d <= k.radius; ++d) {
            const float wd = k.weights[d];
            const F4 w = {wd, wd, wd, wd};
            const F4* __restrict a = in.At(i - d);
            const F4* __restrict b = in.At(i + d);
            for (int j = 0; j < lanes; ++j) o[j] += w * (a[j] + b[j]);
        }
    }
}

// Runs the kernel along the positions of a; returns the buffer with the result.
Lines& Run(Lines& a, Lines& b, const Kernel& k, std::vector<F4>& sums) {
    if (!k.boxes) {
        GaussianPass(a, b, k);
        return b;
    }
    Lines* in = &a;
    Lines* out = &b;
    for (int pass = 0; pass < kBoxPasses; ++pass) {
        BoxPass(*in, *out, k.box, sums);
        std::swap(in, out);
    }
    return *in;
}

}  // namespace

void GaussianBlur(ImageView dst, ConstImageView src, float sigma, EdgeMode edges, const Rect& clip,
                  BlurKernel kind) {
    const Rect area = Intersect(Intersect(src.Bounds(), dst.Bounds()), clip);
    if (area.IsEmpty()) return;
    if (!(sigma > 0.0f) || !std::isfinite(sigma)) {
        if (dst.pixels == src.pixels && dst.stride == src.stride) return;
        for (int y = area.y; y < area.Bottom(); ++y)
            std::memmove(dst.Row(y) + area.x, src.Row(y) + area.x, sizeof(uint32_t) * area.width);
        return;
    }
    const Kernel k = MakeKernel(sigma, kind);
    const int reach = k.reach;
    const int margin = k.boxes ? k.box.radius + 1 : k.radius;
    std::vector<F4> sums;

    // Horizontal: every source row the vertical step will read, over the output
    // columns only (padded by the reach on both sides).
    const int n = area.width;
    const int rowFirst = std::max(0, area.y - reach);
    const int rowEnd = std::min(src.height, area.Bottom() + reach);
    std::vector<F4> across(static_cast<std::size_t>(rowEnd - rowFirst) * n);
    {
        Lines a, b;
        a.Reset(n + 2 * reach, 1, margin);
        b.Reset(n + 2 * reach, 1, margin);
        std::vector<int> columns(n + 2 * reach);
        for (int i = 0; i < n + 2 * reach; ++i) columns[i] = MapIndex(area.x - reach + i, src.width, edges);
        for (int y = rowFirst; y < rowEnd; ++y) {
            const uint32_t* row = src.Row(y);
            for (int i = 0; i < n + 2 * reach; ++i) *a.At(i) = columns[i] < 0 ? F4{0, 0, 0, 0} : Load(row[columns[i]]);
            Lines& result = Run(a, b, k, sums);
            std::memcpy(&across[static_cast<std::size_t>(y - rowFirst) * n], result.At(reach), sizeof(F4) * n);
        }
    }

    // Vertical, in strips of columns.
    const int m = area.height;
    std::vector<int> rows(m + 2 * reach);
    for (int i = 0; i < m + 2 * reach; ++i) rows[i] = MapIndex(area.y - reach + i, src.height, edges);
    Lines a, b;
    for (int x0 = 0; x0 < n; x0 += kStripPixels) {
        const int lanes = std::min(kStripPixels, n - x0);
        a.Reset(m + 2 * reach, lanes, margin);
        b.Reset(m + 2 * reach, lanes, margin);
        for (int i = 0; i < m + 2 * reach; ++i) {
            F4* line = a.At(i);
            if (rows[i] < 0) continue;  // already zero
            std::memcpy(line, &across[static_cast<std::size_t>(rows[i] - rowFirst) * n + x0], sizeof(F4) * lanes);
        }
        Lines& result = Run(a, b, k, sums);
        for (int i = 0; i < m; ++i) {
            const F4* line = result.At(reach + i);
            uint32_t* out = dst.Row(area.y + i) + area.x + x0;
            for (int j = 0; j < lanes; ++j) out[j] = Store(line[j]);
        }
    }
}

}  // namespace raster
