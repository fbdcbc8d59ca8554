// The taskbar always comes back: the dock hiding a stand-in taskbar is killed
// at a random moment of its first three seconds, as a crash or the task
// manager would end it, and the watchdog must show the taskbar again within a
// second and be gone before the next trial. VANTREEL_RELIABILITY_TRIALS sets
// the number of trials (tools/reliability runs 100), VANTREEL_RELIABILITY_SEED
// repeats a run.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "DockProcess.h"
#include "FakeTaskbarProcess.h"

namespace {

unsigned EnvNumber(const char* name, unsigned fallback) {
    const char* text = std::getenv(name);
    return text && *text ? static_cast<unsigned>(std::strtoul(text, nullptr, 10)) : fallback;
}

// Milliseconds until the predicate holds, polled every millisecond or two; -1 past the limit.
long long MillisecondsUntil(const std::function<bool()>& predicate, DWORD limitMs) {
    LARGE_INTEGER frequency, begin, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    for (;;) {
        bool holds = predicate();
        QueryPerformanceCounter(&now);
        long long elapsed = (now.QuadPart - begin.QuadPart) * 1000 / frequency.QuadPart;
        if (holds) return elapsed;
        if (elapsed > limitMs) return -1;
        Sleep(1);
    }
}

}  // namespace

TEST(TaskbarReliability, AKilledDockGivesTheTaskbarBackWithinASecond) {
    const unsigned trials = EnvNumber("VANTREEL_RELIABILITY_TRIALS", 20);
    const unsigned seed = EnvNumber("VANTREEL_RELIABILITY_SEED", static_cast<unsigned>(GetTickCount64()));
    std::printf("taskbar reliability: %u trials, seed %u\n", trials, seed);
    std::mt19937 random(seed);

    FakeTaskbarProcess taskbar;
    ASSERT_TRUE(taskbar.Started());
    DockConfig config = TestDockConfig();
    config.hideTaskbar = true;

    std::vector<long long> latencies;
    for (unsigned trial = 0; trial < trials; ++trial) {
        ASSERT_TRUE(taskbar.BothShown()) << "trial " << trial << " starts with the taskbar shown";
        DockProcess dock;
        ASSERT_TRUE(dock.Start(config));
        DWORD delay = random() % 3001;
        int presses = trial % 3 == 0 ? 1 + static_cast<int>(random() % 2) : 0;
        DWORD waited = 0;
        for (int press = 0; press < presses; ++press) {
            DWORD at = random() % (delay + 1);
            if (at > waited) {
                Sleep(at - waited);
                waited = at;
            }
            PressToggleTaskbarHotkey();
        }
        Sleep(delay - std::min(delay, waited));
        ASSERT_TRUE(dock.Kill()) << "trial " << trial;
        long long back = MillisecondsUntil([&] { return taskbar.BothShown(); }, 1000);
        EXPECT_GE(back, 0) << "trial " << trial << " (kill at " << delay << " ms, " << presses
                           << " presses): the taskbar stayed hidden";
        std::wstring folder = dock.Folder().Path();
        EXPECT_GE(MillisecondsUntil([&] { return ProgramCopiesRunning(folder) == 0; }, 5000), 0)
            << "trial " << trial << " (kill at " << delay << " ms): a watchdog copy outlived it";
        if (back < 0) {
            // The next trial needs a visible taskbar to mean anything.
            PostMessageW(taskbar.Primary(), WM_APP + 1, 0, 0);
            MillisecondsUntil([&] { return taskbar.BothShown(); }, 2000);
            continue;
        }
        latencies.push_back(back);
    }
    ASSERT_FALSE(latencies.empty());
    std::sort(latencies.begin(), latencies.end());
    auto at = [&](double share) { return latencies[static_cast<size_t>(share * (latencies.size() - 1) + 0.5)]; };
    std::printf("taskbar back after a kill: p50 %lld ms, p95 %lld ms, max %lld ms (%u trials)\n", at(0.5), at(0.95),
                latencies.back(), static_cast<unsigned>(latencies.size()));
}
