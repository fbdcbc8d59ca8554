#pragma once
// When a text caret blinks. It blinks from a key, a click or a focus change
// for the system's caret timeout, then stays shown with no timer running, as
// the system's own edit fields do: an untouched field costs no frames.

#include <cstdint>

struct CaretTiming {
    static constexpr uint32_t kNoBlink = 0xFFFFFFFFu;  // the system's INFINITE blink time
    uint32_t blinkMs = 530;
    uint32_t timeoutMs = 5000;
};

// The system's blink time and caret timeout (5000 ms where it keeps none).
CaretTiming SystemCaretTiming();

class CaretBlink {
public:
    explicit CaretBlink(CaretTiming timing = {}) : timing_(timing) {}

    // A key, click or focus change: the caret shows and blinks again. True
    // when a blink timer should run.
    bool Restart(uint64_t now);
    // The blink timer's tick: flips the caret, or once the timeout has passed
    // leaves it shown and returns false (the timer should stop).
    bool Tick(uint64_t now);
    // Focus gone: no caret and no timer.
    void Stop();

    bool Shown() const { return shown_; }
    bool Blinking() const { return blinking_; }
    uint32_t IntervalMs() const { return timing_.blinkMs; }

private:
    CaretTiming timing_;
    uint64_t restartedAt_ = 0;
    bool shown_ = false;
    bool blinking_ = false;
};
