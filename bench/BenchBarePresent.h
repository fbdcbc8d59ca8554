#pragma once
// The median of a run of bare presents, for the benchmarks that compare their
// own present with it as one figure (see BenchPresentFloor.h).

#include <vector>

#include "BenchPresentFloor.h"
#include "BenchTiming.h"

namespace bench {

// The median of `runs` presents of a width x height layered window at (x, y).
inline double BarePresentMs(int x, int y, int width, int height, int runs = 100) {
    PresentFloor floor(POINT{x, y}, SIZE{width, height});
    std::vector<double> samples;
    for (int i = 0; i < runs + 2; ++i) {
        const double ms = floor.TimePresent();
        if (i >= 2) samples.push_back(ms);  // the first ones make the window's surface
        Pump();
    }
    return Percentile(samples, 0.5);
}

}  // namespace bench
