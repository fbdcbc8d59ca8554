#include "app/FramePacer.h"

#include <dwmapi.h>

#include "platform/MissingFlags.h"
#include "platform/PerThread.h"
#include "platform/UniqueHandle.h"

#include <memory>

namespace {

// A flush that returns faster than this did not wait for a composition.
constexpr double kMinimumFlushSeconds = 0.002;

int64_t PerformanceCounter() {
    LARGE_INTEGER value;
    QueryPerformanceCounter(&value);
    return value.QuadPart;
}

int64_t PerformanceFrequency() {
    LARGE_INTEGER value;
    QueryPerformanceFrequency(&value);
    return value.QuadPart > 0 ? value.QuadPart : 1;
}

// One waitable timer per thread that paces; high resolution where the system has it.
struct TimerHandle {
    platform::UniqueHandle handle;
    TimerHandle() {
        handle.reset(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS));
        if (!handle) handle.reset(CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS));
    }
};

void SleepUntilCounter(int64_t target) {
    TimerHandle& timer = platform::PerThread<TimerHandle>();
    int64_t now = PerformanceCounter();
    if (target <= now) return;
    int64_t frequency = PerformanceFrequency();
    // Relative due time in 100 ns units (negative means relative).
    int64_t ticks = (target - now) * 10000000 / frequency;
    if (ticks <= 0) return;
    if (timer.handle) {
        LARGE_INTEGER due;
        due.QuadPart = -ticks;
        if (SetWaitableTimer(timer.handle.get(), &due, 0, nullptr, nullptr, FALSE)) {
            // Messages other threads send are answered while the frame waits:
            // each of their SendMessage calls would otherwise wait up to a
            // frame. Posted messages stay queued for the loop.
            HANDLE waitable = timer.handle.get();
            while (MsgWaitForMultipleObjectsEx(1, &waitable, INFINITE, QS_SENDMESSAGE, 0) == WAIT_OBJECT_0 + 1) {
                MSG message;
                PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            }
            return;
        }
    }
    Sleep(static_cast<DWORD>((ticks + 9999) / 10000));
}

}  // namespace

FramePacer::System FramePacer::System::Real() {
    System system;
    system.flush = [] { return DwmFlush(); };
    system.counter = PerformanceCounter;
    system.frequency = PerformanceFrequency;
    system.waitUntil = SleepUntilCounter;
    return system;
}

FramePacer::FramePacer() : FramePacer(System::Real()) {}

FramePacer::FramePacer(System system) : system_(std::move(system)) {
    frequency_ = system_.frequency();
    if (frequency_ <= 0) frequency_ = 1;
}

FramePacer::~FramePacer() = default;

void FramePacer::WaitForFrame() {
    int64_t before = system_.counter();
    HRESULT hr = system_.flush();
    int64_t after = system_.counter();
    int64_t period = frequency_ / kFallbackHz;
    bool waited = SUCCEEDED(hr) && static_cast<double>(after - before) >= kMinimumFlushSeconds * frequency_;
    if (!waited) {
        // Hold the frame until a full period has passed since the previous one.
        int64_t due = lastFrame_ + period;
        if (lastFrame_ == 0 || due < after - period) due = after;  // first frame or long stall
        system_.waitUntil(due);
        after = system_.counter();
        lastFrame_ = due > after ? due : after;
        return;
    }
    lastFrame_ = after;
}
