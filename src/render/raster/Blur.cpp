#include "render/raster/Blur.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/PerThread.h"
#include "render/raster/Parallel.h"
#include "render/raster/PixelCount.h"
#include "render/raster/PixelVector.h"

namespace raster {
namespace {

constexpr int kBoxPasses = 4;
constexpr int kStripPixels = 32;  // columns per vertical strip: keeps a strip in cache
constexpr int kRowsAtOnce = 4;    // rows per horizontal bundle
// Below this many pixels (input with its padding) a blur stays on one thread.
constexpr long long kPixelsWorthThreads = 128 * 1024;
constexpr int kBandRows = 256;  // output rows per band, at least
// Enough for the blurs an animation repeats (window-sized areas); a blur of a
// whole screen, done once per wallpaper, gives its buffer back.
constexpr std::size_t kKeptIntermediate = (4u << 20) / sizeof(F4);  // pixels

// The blurred rows between the two passes. Kept between calls on a thread up
// to kKeptIntermediate: blurs of one size repeat (every frame of an
// animation), and fresh pages cost more than the copy.
using AcrossBuffer = std::vector<F4, CountedAllocator<F4>>;
AcrossBuffer& KeptAcross() { return platform::PerThread<AcrossBuffer>(); }

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
    const bool boxes = kind == BlurKernel::Boxes || (kind == BlurKernel::Automatic && sigma > kLargestSampledDeviation);
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

// Positions along the blur direction, each holding `lanes` pixels side by side
// (neighbouring rows of a horizontal pass, neighbouring columns of a vertical
// one): the independent sums of the lanes run in parallel.
struct Plane {
    std::vector<F4> data;
    std::vector<const F4*> positions;  // position i starts at positions[i]

    void Reset(int length, int lanes) {
        const std::size_t total = static_cast<std::size_t>(length) * lanes;
        if (data.size() < total) data.resize(total);
        positions.resize(length);
        for (int i = 0; i < length; ++i) positions[i] = data.data() + static_cast<std::ptrdiff_t>(i) * lanes;
    }
    F4* At(int i) { return data.data() + (positions[i] - data.data()); }
};

struct Scratch {
    Plane a, b;
    std::vector<F4> sums;
};

// One box pass over positions [lo, hi): reads in[lo - r - 1] to in[hi + r].
void BoxPass(const F4* const* in, Plane& out, int lanes, int lo, int hi, const Box& box, std::vector<F4>& sums) {
    const int r = box.radius;
    sums.assign(lanes, F4{0, 0, 0, 0});
    F4* __restrict s = sums.data();
    for (int k = lo - r; k <= lo + r; ++k) {
        const F4* row = in[k];
        for (int j = 0; j < lanes; ++j) s[j] += row[j];
    }
    const F4 inner = {box.inner, box.inner, box.inner, box.inner};
    const F4 edge = {box.edge, box.edge, box.edge, box.edge};
    for (int i = lo; i < hi; ++i) {
        const F4* __restrict before = in[i - r - 1];
        const F4* __restrict first = in[i - r];
        const F4* __restrict after = in[i + r + 1];
        F4* __restrict o = out.At(i);
        for (int j = 0; j < lanes; ++j) {
            o[j] = inner * s[j] + edge * (before[j] + after[j]);
            s[j] += after[j] - first[j];
        }
    }
}

// The sampled Gaussian over positions [lo, hi): reads in[lo - radius] to in[hi + radius - 1].
void GaussianPass(const F4* const* in, Plane& out, int lanes, int lo, int hi, const Kernel& k) {
    const F4 w0 = {k.weights[0], k.weights[0], k.weights[0], k.weights[0]};
    for (int i = lo; i < hi; ++i) {
        F4* __restrict o = out.At(i);
        const F4* __restrict centre = in[i];
        for (int j = 0; j < lanes; ++j) o[j] = w0 * centre[j];
        for (int d = 1; d <= k.radius; ++d) {
            const float wd = k.weights[d];
            const F4 w = {wd, wd, wd, wd};
            const F4* __restrict a = in[i - d];
            const F4* __restrict b = in[i + d];
            for (int j = 0; j < lanes; ++j) o[j] += w * (a[j] + b[j]);
        }
    }
}

// Blurs a line bundle of `length` positions given by `input` (one pointer per
// position); positions [reach, length - reach) of the returned plane hold the
// result. Each box pass computes only what the later passes read.
Plane& RunPasses(const F4* const* input, int length, int lanes, const Kernel& k, Scratch& s) {
    s.a.Reset(length, lanes);
    if (!k.boxes) {
        GaussianPass(input, s.a, lanes, k.radius, length - k.radius, k);
        return s.a;
    }
    s.b.Reset(length, lanes);
    const F4* const* in = input;
    Plane* out = &s.a;
    for (int pass = 0; pass < kBoxPasses; ++pass) {
        const int lo = (pass + 1) * (k.box.radius + 1);
        BoxPass(in, *out, lanes, lo, length - lo, k.box, s.sums);
        in = out->positions.data();
        out = out == &s.a ? &s.b : &s.a;
    }
    return out == &s.a ? s.b : s.a;
}

// What every band of one blur shares.
struct Job {
    ConstImageView src;
    EdgeMode edges = EdgeMode::Hard;
    Kernel kernel;
    int threads = 1;
    std::vector<F4> zeros;
};

// Rows [rowFirst, rowFirst + rowCount) of the source blurred along x over the
// columns of `area`, into across (rowCount x area.width).
void BlurRows(const Job& job, const Rect& area, int rowFirst, int rowCount, F4* across) {
    const Kernel& k = job.kernel;
    const int n = area.width, reach = k.reach, length = n + 2 * reach;
    std::vector<int> columns(length);
    for (int i = 0; i < length; ++i) columns[i] = MapIndex(area.x - reach + i, job.src.width, job.edges);
    const int groups = (rowCount + kRowsAtOnce - 1) / kRowsAtOnce;
    const int perPart = (groups + job.threads - 1) / job.threads;
    RunParts(job.threads, [&](int part) {
        Scratch& scratch = platform::PerThread<Scratch, struct RowsScratch>();
        Plane& input = platform::PerThread<Plane>();
        const int groupEnd = std::min(groups, (part + 1) * perPart);
        for (int group = part * perPart; group < groupEnd; ++group) {
            const int first = group * kRowsAtOnce;
            const int lanes = std::min(kRowsAtOnce, rowCount - first);
            input.Reset(length, lanes);
            for (int r = 0; r < lanes; ++r) {
                const uint32_t* row = job.src.Row(rowFirst + first + r);
                for (int i = 0; i < length; ++i)
                    input.At(i)[r] = columns[i] < 0 ? F4{0, 0, 0, 0} : ToF4(row[columns[i]]);
            }
            Plane& result = RunPasses(input.positions.data(), length, lanes, k, scratch);
            for (int r = 0; r < lanes; ++r) {
                F4* __restrict out = &across[static_cast<std::size_t>(first + r) * n];
                for (int i = 0; i < n; ++i) out[i] = result.At(reach + i)[r];
            }
        }
    });
}

// The rows of `area` blurred along y from across (which starts at source row
// rowFirst), written to out (area.height rows of area.width pixels, outStride
// apart).
void BlurColumns(const Job& job, const Rect& area, int rowFirst, const F4* across, uint32_t* out,
                 std::ptrdiff_t outStride) {
    const Kernel& k = job.kernel;
    const int n = area.width, m = area.height, reach = k.reach, length = m + 2 * reach;
    std::vector<int> rows(length);
    for (int i = 0; i < length; ++i) rows[i] = MapIndex(area.y - reach + i, job.src.height, job.edges);
    const int strips = (n + kStripPixels - 1) / kStripPixels;
    const int perPart = (strips + job.threads - 1) / job.threads;
    RunParts(job.threads, [&](int part) {
        Scratch& scratch = platform::PerThread<Scratch, struct ColumnsScratch>();
        std::vector<const F4*> input(length);
        const int stripEnd = std::min(strips, (part + 1) * perPart);
        for (int strip = part * perPart; strip < stripEnd; ++strip) {
            const int x0 = strip * kStripPixels;
            const int lanes = std::min(kStripPixels, n - x0);
            for (int i = 0; i < length; ++i)
                input[i] =
                    rows[i] < 0 ? job.zeros.data() : &across[static_cast<std::size_t>(rows[i] - rowFirst) * n + x0];
            Plane& result = RunPasses(input.data(), length, lanes, k, scratch);
            for (int i = 0; i < m; ++i) {
                const F4* line = result.At(reach + i);
                uint32_t* o = out + i * outStride + x0;
                for (int j = 0; j < lanes; ++j) o[j] = ToPixel(line[j]);
            }
        }
    });
}

bool Overlap(const ImageView& dst, const ConstImageView& src) {
    auto begin = [](const uint32_t* p) { return reinterpret_cast<std::uintptr_t>(p); };
    const std::uintptr_t d0 = begin(dst.pixels), d1 = begin(dst.Row(dst.height - 1) + dst.width);
    const std::uintptr_t s0 = begin(src.pixels), s1 = begin(src.Row(src.height - 1) + src.width);
    return d0 < s1 && s0 < d1;
}

}  // namespace

void GaussianBlur(ImageView dst, ConstImageView src, float sigma, EdgeMode edges, const Rect& clip, BlurKernel kind) {
    const Rect area = Intersect(Intersect(src.Bounds(), dst.Bounds()), clip);
    if (area.IsEmpty()) return;
    if (!(sigma > 0.0f)) {  // also NaN
        if (dst.pixels == src.pixels && dst.stride == src.stride) return;
        for (int y = area.y; y < area.Bottom(); ++y)
            std::memmove(dst.Row(y) + area.x, src.Row(y) + area.x, sizeof(uint32_t) * area.width);
        return;
    }
    sigma = std::min(sigma, kLargestDeviation);
    Job job;
    job.src = src;
    job.edges = edges;
    job.kernel = MakeKernel(sigma, kind);
    job.zeros.assign(std::max(kStripPixels, kRowsAtOnce), F4{0, 0, 0, 0});
    const int reach = job.kernel.reach;
    const int n = area.width;
    job.threads =
        static_cast<long long>(n + 2 * reach) * (area.height + 2 * reach) >= kPixelsWorthThreads ? PartThreads() : 1;

    // Bands of output rows bound the floating-point intermediate (each band
    // re-blurs the rows its neighbours share, so bands are tall against the reach).
    const int bandHeight = std::min(area.height, std::max(kBandRows, 4 * reach));
    const int mostRows = std::min(src.height, bandHeight + 2 * reach);
    AcrossBuffer own;
    const std::size_t acrossSize = static_cast<std::size_t>(mostRows) * n;
    AcrossBuffer& acrossBuffer = acrossSize <= kKeptIntermediate ? KeptAcross() : own;
    if (acrossBuffer.size() < acrossSize) acrossBuffer.resize(acrossSize);
    F4* const across = acrossBuffer.data();
    // Writing into the source: a band's result waits until the next band has
    // read the rows it shares with it.
    const bool inPlace = Overlap(dst, src);
    std::vector<uint32_t> pending;
    Rect pendingArea;
    auto flush = [&] {
        for (int i = 0; i < pendingArea.height; ++i)
            std::memcpy(dst.Row(pendingArea.y + i) + pendingArea.x, &pending[static_cast<std::size_t>(i) * n],
                        sizeof(uint32_t) * n);
        pendingArea = {};
    };
    for (int y = area.y; y < area.Bottom(); y += bandHeight) {
        const Rect band{area.x, y, n, std::min(bandHeight, area.Bottom() - y)};
        const int rowFirst = std::max(0, band.y - reach);
        const int rowCount = std::min(src.height, band.Bottom() + reach) - rowFirst;
        BlurRows(job, band, rowFirst, rowCount, across);
        if (!inPlace) {
            BlurColumns(job, band, rowFirst, across, dst.Row(band.y) + band.x, dst.stride);
            continue;
        }
        flush();
        pending.resize(static_cast<std::size_t>(band.height) * n);
        BlurColumns(job, band, rowFirst, across, pending.data(), n);
        pendingArea = band;
    }
    flush();
}

void ReleaseKeptBlurBuffer() {
    AcrossBuffer none;
    KeptAcross().swap(none);
}

}  // namespace raster
