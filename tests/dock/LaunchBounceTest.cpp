#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dock/LaunchBounce.h"

namespace {

struct Landing {
    float speedBefore;  // downward speed on touching the ground
    float speedAfter;   // upward speed of the next hop (0 when it stopped)
};

// Runs a launch at a fixed frame time and records every landing.
std::vector<Landing> RunLaunch(float dt, int* frames, float* highest) {
    LaunchBounce bounce = LaunchBounce::Launch();
    std::vector<Landing> landings;
    *frames = 0;
    *highest = 0.0f;
    for (;;) {
        float before = bounce.velocity;
        float step = std::fmin(std::fmax(dt, 0.001f), 0.033f);
        float impact = before + bounce.gravity * step;
        bool going = bounce.Step(dt);
        ++*frames;
        *highest = std::fmin(*highest, bounce.offset);
        if (bounce.offset == 0.0f && (bounce.velocity < 0.0f || !going)) landings.push_back({impact, -bounce.velocity});
        if (!going) break;
        if (*frames > 10000) break;
    }
    return landings;
}

}  // namespace

TEST(LaunchBounce, TwoHopsTheSecondAtSixtyTwoPercentThenRest) {
    int frames = 0;
    float highest = 0.0f;
    std::vector<Landing> landings = RunLaunch(1.0f / 120.0f, &frames, &highest);
    ASSERT_EQ(landings.size(), 2u) << "a launch lands twice: once to hop again, once to stop";
    EXPECT_NEAR(landings[0].speedAfter, 0.62f * landings[0].speedBefore, 1e-3f);
    EXPECT_GT(landings[0].speedBefore, 300.0f) << "the first hop comes down about as fast as it went up";
    EXPECT_EQ(landings[1].speedAfter, 0.0f) << "the second landing ends the bounce";
    // Thrown at 360 dip/s against 2400 dip/s^2: about 27 dip high.
    EXPECT_NEAR(highest, -27.0f, 2.0f);
    EXPECT_LT(frames, 120) << "both hops are over within a second";
}

TEST(LaunchBounce, SettledEntriesLeaveTheMapAndLongFramesAreClamped) {
    LaunchBounceMap bounces;
    bounces[7] = LaunchBounce::Launch();
    bounces[9] = LaunchBounce{};  // inactive from the start
    EXPECT_TRUE(AnyLaunchBounceActive(bounces));
    StepLaunchBounces(bounces, 1.0f / 60.0f);
    EXPECT_EQ(bounces.count(9), 0u) << "an inactive entry is erased at once";
    ASSERT_EQ(bounces.count(7), 1u);

    // A frame of one second moves no further than a frame of 33 ms.
    LaunchBounce slow = LaunchBounce::Launch();
    LaunchBounce clamped = LaunchBounce::Launch();
    slow.Step(1.0f);
    clamped.Step(0.033f);
    EXPECT_FLOAT_EQ(slow.offset, clamped.offset);

    int guard = 0;
    while (!bounces.empty() && guard++ < 1000) StepLaunchBounces(bounces, 1.0f / 60.0f);
    EXPECT_TRUE(bounces.empty());
    EXPECT_FALSE(AnyLaunchBounceActive(bounces));
}

TEST(LaunchBounce, IdHashIsFnv1aOverTheEightBytes) {
    DockItemIdHash hash;
    // FNV-1a of eight zero bytes.
    uint64_t expected = 14695981039346656037ull;
    for (int i = 0; i < 8; ++i) expected *= 1099511628211ull;
    EXPECT_EQ(hash(0), static_cast<size_t>(expected));
    EXPECT_NE(hash(1), hash(256));
}
