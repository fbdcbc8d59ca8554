#include "render/Spring.h"

#include <cmath>

namespace {

constexpr float kMinStep = 0.001f;
constexpr float kMaxStep = 0.05f;
// Above this a frame is integrated in two halves, which keeps stiff springs
// stable at low frame rates.
constexpr float kSingleStepLimit = 0.018f;
constexpr float kSettleDistance = 0.002f;
constexpr float kSettleSpeed = 0.02f;
constexpr float kApproachSnap = 0.001f;

// Written so that a NaN frame time counts as the shortest step instead of
// poisoning the animated value for good.
float ClampStep(float dt) {
    if (!(dt > kMinStep)) return kMinStep;
    if (dt > kMaxStep) return kMaxStep;
    return dt;
}

}  // namespace

bool Spring::Step(float dt) {
    const float h = ClampStep(dt);
    const int substeps = h > kSingleStepLimit ? 2 : 1;
    const float step = h / static_cast<float>(substeps);
    float x = value;
    float v = velocity;
    for (int i = 0; i < substeps; ++i) {
        // Semi-implicit Euler: the position moves with the updated velocity.
        v += ((target - x) * stiffness - damping * v) * step;
        x += v * step;
    }
    value = x;
    velocity = v;
    if (Settled()) {
        value = target;
        velocity = 0.0f;
        return false;
    }
    return true;
}

bool Spring::Settled() const {
    return std::fabs(target - value) <= kSettleDistance && std::fabs(velocity) <= kSettleSpeed;
}

float ExpApproach(float current, float target, float rate, float dt) {
    const float h = ClampStep(dt);
    const float next = current + (1.0f - std::exp(-rate * h)) * (target - current);
    if (std::fabs(target - next) < kApproachSnap) return target;
    return next;
}
