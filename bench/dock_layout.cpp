// Cost of one dock layout per animation frame (magnified, with a drag), and of
// one enumeration of the desktop's running applications.

#include <windows.h>

#include <chrono>
#include <cstdio>

#include "dock/DockItemKind.h"
#include "dock/DockLayout.h"
#include "dock/RunningApps.h"
#include "dock/WindowTracker.h"

int main() {
    using Clock = std::chrono::steady_clock;
    DockLayoutInput in;
    in.kinds.push_back(static_cast<int32_t>(DockItemKind::Launchpad));
    for (int i = 0; i < 24; ++i) in.kinds.push_back(static_cast<int32_t>(DockItemKind::App));
    in.kinds.push_back(static_cast<int32_t>(DockItemKind::Separator));
    in.kinds.push_back(static_cast<int32_t>(DockItemKind::RecycleBin));
    in.hovering = true;
    in.magnifyAmount = 1.0f;
    in.dragIndex = 5;
    in.dragOffsetY = -30.0f;

    constexpr int kFrames = 200000;
    float sink = 0;
    auto start = Clock::now();
    for (int i = 0; i < kFrames; ++i) {
        in.cursorX = 600.0f + static_cast<float>(i % 700);
        in.dragX = in.cursorX;
        sink += ComputeDockLayout(in).items[3].centerX;
    }
    double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kFrames;
    std::printf("ComputeDockLayout, 27 items: %.3f us per frame (checksum %.1f)\n", us, sink);

    start = Clock::now();
    int hits = 0;
    for (int i = 0; i < kFrames; ++i) hits += in.DropIndexForX(600.0f + static_cast<float>(i % 700), 1, 24);
    us = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kFrames;
    std::printf("DropIndexForX, 27 items: %.3f us per call (checksum %d)\n", us, hits);

    WindowTracker tracker;
    constexpr int kScans = 200;
    size_t groups = 0;
    start = Clock::now();
    for (int i = 0; i < kScans; ++i) groups += EnumerateRunningApps(tracker).size();
    const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count() / kScans;
    std::printf("EnumerateRunningApps: %.3f ms per scan (%zu groups)\n", ms, groups / kScans);
    return 0;
}
