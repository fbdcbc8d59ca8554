#pragma once
// The hop of a launched icon: thrown up, pulled down by gravity, and thrown
// again from the landing at a fraction of the speed until no hops are left.

#include <cstdint>
#include <unordered_map>

struct LaunchBounce {
    float offset = 0.0f;    // dip, negative is upwards
    float velocity = 0.0f;  // dip/s
    int32_t bouncesLeft = 0;
    float gravity = 2400.0f;  // dip/s^2

    static constexpr float kLaunchVelocity = -360.0f;
    static constexpr int32_t kLaunchBounces = 2;
    static constexpr float kHopDamping = 0.62f;

    static LaunchBounce Launch() {
        LaunchBounce b;
        b.velocity = kLaunchVelocity;
        b.bouncesLeft = kLaunchBounces;
        return b;
    }

    bool IsActive() const;
    // One frame; false once the bounce has settled and can be dropped.
    bool Step(float dt);
};

// FNV-1a over the id's eight bytes, so the map spreads ids the same on every build.
struct DockItemIdHash {
    size_t operator()(uint64_t id) const;
};

using LaunchBounceMap = std::unordered_map<uint64_t, LaunchBounce, DockItemIdHash>;

// Steps every bounce and erases the settled ones.
void StepLaunchBounces(LaunchBounceMap& bounces, float dt);
bool AnyLaunchBounceActive(const LaunchBounceMap& bounces);
