// Typing a search into the launcher on the real device and compositor, 2000
// entries: from each WM_CHAR sent to the panel to the committed frame, median
// and max, split into the filter (ApplyFilterAndLayout run again on the same
// text), the painting (the rest of the message) and the compose (Commit).
// The search is typed and erased once to warm the icon caches, then measured
// over five more rounds. Target: one frame (16 ms).

#include <windows.h>

#include <cstdio>
#include <vector>

#include "BenchLauncher.h"
#include "BenchTiming.h"

namespace {

struct Samples {
    std::vector<double> total, filter, paint, compose;
};

void Report(const char* what, const std::vector<double>& values) {
    std::printf("  %-8s median %7.3f ms, max %7.3f ms\n", what, bench::Percentile(values, 0.5),
                bench::Percentile(values, 1.0));
}

}  // namespace

int main() {
    bench::Device device;
    if (!device.Start("allapps_typing")) return 1;
    CompositionHost& host = device.host;
    {
        bench::Launcher launcher{device};
        AllAppsWindow& apps = launcher.apps;
        apps.PrebuildHiddenVisuals();
        launcher.Toggle();
        host.compositor.Commit();

        const std::wstring typed = L"visual studio code";
        Samples samples;
        auto key = [&](wchar_t unit, bool measure) {
            const double start = bench::NowMs();
            SendMessageW(apps.Window(), WM_CHAR, unit, 0);
            const double handled = bench::NowMs();
            host.compositor.Commit();
            const double committed = bench::NowMs();
            apps.ApplyFilterAndLayout();
            const double filter = bench::NowMs() - committed;
            bench::Pump();
            if (!measure) return;
            samples.total.push_back(committed - start);
            samples.filter.push_back(filter);
            samples.paint.push_back(handled - start - filter);
            samples.compose.push_back(committed - handled);
        };
        for (int round = 0; round < 6; ++round) {
            const bool measure = round > 0;
            for (wchar_t unit : typed) key(unit, measure);
            for (size_t i = 0; i < typed.size(); ++i) key(L'\b', measure);
        }
        std::printf("WM_CHAR to committed frame, 2000 entries, %llu keystrokes (target 16 ms):\n",
                    static_cast<unsigned long long>(samples.total.size()));
        Report("total", samples.total);
        Report("filter", samples.filter);
        Report("paint", samples.paint);
        Report("compose", samples.compose);
    }
    return 0;
}
