#pragma once
// Gaussian blur of premultiplied images, with the standard deviation meaning of
// the 2D graphics library's blur effect (in pixels; the kernel reaches three
// standard deviations; 0 turns the blur off).
//
// Edges (see EdgeMode):
//   Hard: the output keeps the input's bounds, and samples beyond an edge are
//         the input mirrored about that edge (... c b a | a b c ...), so the
//         blurred edges neither darken nor turn transparent. This is the mode
//         the glass backdrop uses.
//   Soft: transparent black lies beyond the input; the edges fade out. The
//         output is still cut to the input's bounds.
//
// Large deviations run as four passes of a box filter with fractional end
// weights per axis, whose variance equals the Gaussian's: on any image the
// result stays within 2% of full scale of the true Gaussian (0.75% on a step
// edge) while costing the same for every deviation. Small deviations use the
// sampled Gaussian itself.

#include "render/raster/Image.h"

namespace raster {

enum class BlurKernel {
    Automatic,  // the faster of the two for the deviation
    Gaussian,   // the sampled Gaussian, truncated at three deviations
    Boxes,      // four fractional box passes
};

// Blurs src into dst (same coordinates; dst may be src itself). Only the output
// pixels inside clip are written; every input pixel within reach is read.
void GaussianBlur(ImageView dst, ConstImageView src, float standardDeviation, EdgeMode edges,
                  const Rect& clip = Rect::Everything(), BlurKernel kernel = BlurKernel::Automatic);

// Frees the working buffer the calling thread keeps between blurs (up to 4 MB).
void ReleaseKeptBlurBuffer();

// Larger deviations are taken as this one (the blur effect's own upper limit),
// so an absurd value cannot ask for a kernel of millions of pixels.
inline constexpr float kLargestDeviation = 250.0f;

// The deviation up to which Automatic uses the sampled Gaussian.
inline constexpr float kLargestSampledDeviation = 2.5f;

}  // namespace raster
