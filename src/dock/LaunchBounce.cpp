#include "dock/LaunchBounce.h"

#include <algorithm>
#include <cmath>

bool LaunchBounce::IsActive() const { return bouncesLeft > 0 || offset < -0.1f || std::fabs(velocity) > 1.0f; }

bool LaunchBounce::Step(float dt) {
    if (!IsActive()) {
        *this = LaunchBounce{};
        return false;
    }
    float h = std::clamp(dt, 0.001f, 0.033f);
    velocity += gravity * h;
    offset += velocity * h;
    if (offset < 0.0f) return true;
    offset = 0.0f;
    if (bouncesLeft >= 2) {
        bouncesLeft -= 1;
        velocity = -std::fabs(velocity) * kHopDamping;
        return true;
    }
    velocity = 0.0f;
    bouncesLeft = 0;
    return false;
}

size_t DockItemIdHash::operator()(uint64_t id) const {
    uint64_t hash = 14695981039346656037ull;
    for (int i = 0; i < 8; ++i) {
        hash ^= (id >> (8 * i)) & 0xFF;
        hash *= 1099511628211ull;
    }
    return static_cast<size_t>(hash);
}

void StepLaunchBounces(LaunchBounceMap& bounces, float dt) {
    for (auto it = bounces.begin(); it != bounces.end();) {
        if (it->second.Step(dt)) {
            ++it;
        } else {
            it = bounces.erase(it);
        }
    }
}

bool AnyLaunchBounceActive(const LaunchBounceMap& bounces) {
    for (const auto& entry : bounces) {
        if (entry.second.IsActive()) return true;
    }
    return false;
}
