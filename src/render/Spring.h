#pragma once
// Two tiny integrators that drive every animation, stepped once per frame with
// the measured frame time in seconds. Both clamp the step, so a long pause
// between frames never makes a jump, and both snap to the target once close,
// so the main loop can stop ticking.

// A damped spring for motion that may overshoot. Callers own target, stiffness
// and damping; Step owns value and velocity.
struct Spring {
    float value = 0.0f;
    float velocity = 0.0f;
    float target = 0.0f;
    float stiffness = 0.0f;
    float damping = 0.0f;

    // True while the spring still moves; false once it has settled (value equals
    // target, velocity 0), and on every later call until the target changes.
    bool Step(float dt);
    // Close enough and slow enough to count as at rest (0.002 and 0.02).
    bool Settled() const;
};

// First-order easing of current towards target at the given rate (1/s).
// Returns the new value, exactly target once within 0.001 of it.
float ExpApproach(float current, float target, float rate, float dt);
