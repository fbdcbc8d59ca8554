#include <gtest/gtest.h>

#include <cmath>

#include "render/Spring.h"

namespace {

// Far enough from its target that no step below settles it.
Spring Moving() { return Spring{0.0f, 0.0f, 1.0f, 300.0f, 20.0f}; }

void ExpectSameState(const Spring& a, const Spring& b) {
    EXPECT_FLOAT_EQ(a.value, b.value);
    EXPECT_FLOAT_EQ(a.velocity, b.velocity);
}

}  // namespace

TEST(Spring, FramesUpTo18MsAreOneEulerStep) {
    Spring spring = Moving();
    EXPECT_TRUE(spring.Step(0.018f));
    // One semi-implicit step: the position moves with the new velocity.
    const float h = 0.018f;
    const float v = (1.0f * 300.0f) * h;
    EXPECT_FLOAT_EQ(spring.velocity, v);
    EXPECT_FLOAT_EQ(spring.value, v * h);

    Spring halves = Moving();
    halves.Step(0.009f);
    halves.Step(0.009f);
    EXPECT_NE(spring.value, halves.value) << "0.018 must not be split";
}

TEST(Spring, LongerFramesAreTwoHalfSteps) {
    Spring spring = Moving();
    EXPECT_TRUE(spring.Step(0.0181f));
    Spring halves = Moving();
    halves.Step(0.00905f);
    halves.Step(0.00905f);
    ExpectSameState(spring, halves);

    Spring whole = Moving();
    whole.Step(0.018f);
    EXPECT_NE(spring.value, whole.value);
}

TEST(Spring, FrameTimeIsClampedToOneMsAndFiftyMs) {
    Spring zero = Moving();
    zero.Step(0.0f);
    Spring shortest = Moving();
    shortest.Step(0.001f);
    ExpectSameState(zero, shortest);
    EXPECT_GT(zero.value, 0.0f);

    Spring negative = Moving();
    negative.Step(-3.0f);
    ExpectSameState(negative, shortest);

    // A second-long pause is one 50 ms frame in two 25 ms substeps.
    Spring paused = Moving();
    paused.Step(1.0f);
    Spring longest = Moving();
    longest.Step(0.05f);
    ExpectSameState(paused, longest);
    // By hand: v = 300 x 0.025 = 7.5, x = 0.1875; then
    // v += ((1 - 0.1875) x 300 - 20 x 7.5) x 0.025 = 9.84375, x += v x 0.025.
    EXPECT_FLOAT_EQ(paused.velocity, 9.84375f);
    EXPECT_FLOAT_EQ(paused.value, 0.43359375f);

    Spring broken = Moving();
    broken.Step(std::nanf(""));
    ExpectSameState(broken, shortest);
}

TEST(Spring, SettlesOnlyWhenCloseAndSlow) {
    Spring slow{1.0015f, 0.01f, 1.0f, 300.0f, 30.0f};
    EXPECT_FALSE(slow.Step(0.0f));
    EXPECT_EQ(slow.value, 1.0f);
    EXPECT_EQ(slow.velocity, 0.0f);
    EXPECT_FALSE(slow.Step(0.016f)) << "stays settled until the target changes";
    EXPECT_EQ(slow.value, 1.0f);

    slow.target = 2.0f;
    EXPECT_TRUE(slow.Step(0.016f));

    Spring fast{1.0015f, 0.03f, 1.0f, 300.0f, 30.0f};
    EXPECT_TRUE(fast.Step(0.0f));
    EXPECT_NE(fast.value, 1.0f);
}

TEST(Spring, SettledMeansWithin0002AndSlowerThan002) {
    Spring spring{1.0f, 0.0f, 1.0019f, 400.0f, 28.0f};
    EXPECT_TRUE(spring.Settled());
    spring.target = 1.0021f;
    EXPECT_FALSE(spring.Settled());
    spring.target = 1.0f;
    spring.velocity = -0.019f;
    EXPECT_TRUE(spring.Settled());
    spring.velocity = 0.021f;
    EXPECT_FALSE(spring.Settled());
}

TEST(Spring, ADampedSpringComesToRestOnItsTarget) {
    Spring spring{0.0f, 0.0f, 64.0f, 170.0f, 22.0f};
    int frames = 0;
    while (spring.Step(1.0f / 60.0f) && frames < 600) ++frames;
    EXPECT_LT(frames, 600);
    EXPECT_EQ(spring.value, 64.0f);
    EXPECT_EQ(spring.velocity, 0.0f);
}

TEST(ExpApproach, MovesTheExponentialShareOfTheDistance) {
    EXPECT_NEAR(ExpApproach(0.0f, 1.0f, 18.0f, 1.0f / 60.0f), 1.0f - std::exp(-0.3f), 1e-6);
    EXPECT_NEAR(ExpApproach(0.0f, 1.0f, 18.0f, 1.0f / 60.0f), 0.2592f, 1e-4);
    // Downwards, and with the same step clamp as the spring.
    EXPECT_NEAR(ExpApproach(10.0f, 0.0f, 18.0f, 5.0f), 10.0f * std::exp(-0.9f), 1e-5);
    EXPECT_EQ(ExpApproach(0.0f, 1.0f, 18.0f, 0.0f), ExpApproach(0.0f, 1.0f, 18.0f, 0.001f));
}

TEST(ExpApproach, SnapsToTheTargetWithinOneThousandth) {
    EXPECT_EQ(ExpApproach(0.9995f, 1.0f, 1.0f, 0.001f), 1.0f);
    EXPECT_NE(ExpApproach(0.99f, 1.0f, 1.0f, 0.001f), 1.0f);
    EXPECT_EQ(ExpApproach(5.0f, 5.0f, 18.0f, 0.016f), 5.0f);
}
