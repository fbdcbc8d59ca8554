// Times of the compositor's pixel operations on a dock-sized band, as the
// median of repeated runs, in milliseconds.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "render/raster/Blend.h"
#include "render/raster/Blur.h"
#include "render/raster/ColorMatrix.h"
#include "render/raster/Coverage.h"
#include "render/raster/Image.h"
#include "render/raster/NineGrid.h"
#include "render/raster/Stretch.h"
#include "render/raster/Translate.h"

using namespace raster;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 210;

double MedianMs(int repetitions, const std::function<void()>& work) {
    work();  // warm caches and allocations
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

Image Wallpaper(int w, int h) {
    Image img(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.At(x, y) = Bgra((x * 3 + y) & 0xFF, (x ^ y) & 0xFF, (x * 7 + y * 5) & 0xFF, 255);
    return img;
}

void Report(const char* what, double ms) { std::printf("%-44s %8.3f ms\n", what, ms); }

}  // namespace

int main() {
    const Image wallpaper = Wallpaper(kWidth, kHeight);
    Image out(kWidth, kHeight);

    std::printf("raster_bench: %d x %d band, median of repeated runs\n", kWidth, kHeight);
    for (float sigma : {1.4f, 4.5f, 9.0f, 30.0f}) {
        char label[64];
        std::snprintf(label, sizeof label, "blur sigma %.1f (hard edges)", sigma);
        Report(label, MedianMs(21, [&] { GaussianBlur(out.View(), wallpaper.View(), sigma, EdgeMode::Hard); }));
    }
    Report("blur sigma 30.0, sampled Gaussian kernel", MedianMs(3, [&] {
               GaussianBlur(out.View(), wallpaper.View(), 30.0f, EdgeMode::Hard, Rect::Everything(),
                            BlurKernel::Gaussian);
           }));
    {
        // The backdrop: a whole wallpaper, blurred once per setting.
        const Image screen = Wallpaper(1920, 1080);
        Image blurred(1920, 1080);
        Report("blur 1920 x 1080 sigma 9.0",
               MedianMs(5, [&] { GaussianBlur(blurred.View(), screen.View(), 9.0f, EdgeMode::Hard); }));
    }
    Report("saturation 1.48", MedianMs(21, [&] {
               out = wallpaper;
               Saturate(out.View(), 1.48f);
           }));

    Image glass(kWidth, kHeight, Bgra(20, 18, 16, 150));
    DrawOptions tint;
    tint.opacity = 0.62f;
    Report("source-over with opacity 0.62", MedianMs(51, [&] { DrawImage(out.View(), glass.View(), 0, 0, tint); }));
    Report("source-over opaque", MedianMs(51, [&] { DrawImage(out.View(), wallpaper.View(), 0, 0); }));

    // The rim: a 48-pixel nine-grid source stretched over the band.
    Image rim(60, 60, Bgra(30, 30, 30, 60));
    Report("nine-grid 60 x 60 (insets 24) to the band", MedianMs(51, [&] {
               DrawNineGrid(out.View(), {0, 0, kWidth, kHeight}, rim.View(), NineGridInsets::Uniform(24));
           }));
    Image fade(16, 128, Bgra(200, 200, 200, 200));
    Report("stretch 16 x 128 to the band", MedianMs(51, [&] {
               DrawStretched(out.View(), {0, 0, kWidth, kHeight}, fade.View());
           }));

    Mask clip;
    Report("rounded clip coverage (radius 18)", MedianMs(51, [&] {
               clip = RoundedRectCoverage({0, 0, kWidth, kHeight}, {0, 0, kWidth, kHeight}, 18.0f, 18.0f);
           }));
    const ConstMaskView cov = clip.View();
    DrawOptions clipped;
    clipped.coverage = &cov;
    Report("source-over through the rounded clip",
           MedianMs(51, [&] { DrawImage(out.View(), wallpaper.View(), 0, 0, clipped); }));
    DrawOptions copy;
    copy.mode = BlendMode::Copy;
    Report("translate by (0, 7.5)",
           MedianMs(21, [&] { DrawTranslated(out.View(), wallpaper.View(), 0.0f, 7.5f, EdgeMode::Hard, copy); }));
    return 0;
}
