#pragma once
// Waits for the next composed frame after each animation tick. DwmFlush blocks
// until the compositor has presented; where it returns at once (no compositor
// to wait on), a 60 Hz waitable timer paces the loop instead so that an
// animation never spins a core.

#include <windows.h>

#include <cstdint>
#include <functional>

class FramePacer {
public:
    struct System {
        std::function<HRESULT()> flush;          // DwmFlush
        std::function<int64_t()> counter;        // QueryPerformanceCounter
        std::function<int64_t()> frequency;      // QueryPerformanceFrequency
        std::function<void(int64_t)> waitUntil;  // sleep until this counter value
        static System Real();
    };

    FramePacer();
    explicit FramePacer(System system);
    ~FramePacer();
    FramePacer(const FramePacer&) = delete;
    FramePacer& operator=(const FramePacer&) = delete;

    // Returns once the next frame may be ticked.
    void WaitForFrame();

    static constexpr int kFallbackHz = 60;

private:
    System system_;
    int64_t frequency_ = 0;
    int64_t lastFrame_ = 0;
};
