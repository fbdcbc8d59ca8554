#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include <windows.h>

#include <vector>

#include "app/MainLoop.h"

namespace {

constexpr UINT kStartAnimation = WM_APP + 1;
constexpr UINT kQuitNow = WM_APP + 2;

// A stand-in application object with a message-only input window.
struct TestApp {
    HWND window = nullptr;
    int framesLeft = 0;
    std::vector<float> ticks;
    int shutdownCalls = 0;
    bool shutDown = false;
    bool quitOnIdleTrim = false;
    int idleTrims = 0;
    int quitDuringTick = -1;  // tick index at which PostQuitMessage(42) is called
    HWND paintProbe = nullptr;       // a window with a paint waiting
    std::vector<bool> probePainted;  // whether it had painted, at each tick

    TestApp() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"VantreelLoopTestWindow";
        RegisterClassW(&wc);
        window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 wc.hInstance, nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~TestApp() { DestroyWindow(window); }

    bool IsAnimating() { return framesLeft > 0; }
    void Tick(float dt) {
        if (quitDuringTick == static_cast<int>(ticks.size())) PostQuitMessage(42);
        if (paintProbe) probePainted.push_back(!GetUpdateRect(paintProbe, nullptr, FALSE));
        ticks.push_back(dt);
        --framesLeft;
    }
    void Shutdown() {
        ++shutdownCalls;
        shutDown = true;
    }
    HWND InputWindow() const { return window; }
    bool IsShutDown() const { return shutDown; }

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<TestApp*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && msg == kStartAnimation) {
            self->framesLeft = static_cast<int>(wp);
            return 0;
        }
        if (self && msg == kQuitNow) {
            PostQuitMessage(42);
            return 0;
        }
        if (self && msg == WM_TIMER && wp == kIdleTrimTimerId) {
            KillTimer(hwnd, kIdleTrimTimerId);
            ++self->idleTrims;
            if (self->quitOnIdleTrim) PostQuitMessage(42);
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
};

// A pacer whose compositor flush returns at once, as on a system without one.
FramePacer ImmediateFlushPacer(int* flushes) {
    FramePacer::System system = FramePacer::System::Real();
    system.flush = [flushes] {
        ++*flushes;
        return S_OK;
    };
    return FramePacer(system);
}

void DrainQueue() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
}

}  // namespace

TEST(MainLoop, AnimationStartedByAMessageBeginsWithAFixedFirstStep) {
    DrainQueue();
    TestApp app;
    app.quitOnIdleTrim = true;
    PostMessageW(app.window, kStartAnimation, 4, 0);
    int flushes = 0;
    FramePacer pacer = ImmediateFlushPacer(&flushes);

    ULONGLONG before = GetTickCount64();
    EXPECT_EQ(RunDock(app, pacer), 0) << "the quit parameter 42 is not the exit code";
    ULONGLONG elapsed = GetTickCount64() - before;

    ASSERT_EQ(app.ticks.size(), 4u);
    EXPECT_EQ(app.ticks[0], 1.0f / 120.0f);
    EXPECT_FLOAT_EQ(app.ticks[0], 0.008333334f);
    for (size_t i = 1; i < app.ticks.size(); ++i) {
        EXPECT_GT(app.ticks[i], 0.0f);
        EXPECT_LT(app.ticks[i], 0.5f) << "the idle time before the message never counts";
    }
    EXPECT_EQ(app.idleTrims, 1) << "the idle trim fires once the animation has ended";
    EXPECT_GE(elapsed, 2900u) << "the trim waits its 3000 ms after the last frame";
    EXPECT_EQ(app.shutdownCalls, 1);
    EXPECT_EQ(flushes, 3) << "one wait per animating pass";
}

TEST(MainLoop, QuitWhileAnimatingEndsWithOneShutdown) {
    DrainQueue();
    TestApp app;
    app.framesLeft = 1000;
    app.quitDuringTick = 5;
    app.paintProbe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 8, 8, 0, 0, 0, 0);
    int flushes = 0;
    FramePacer pacer = ImmediateFlushPacer(&flushes);
    EXPECT_EQ(RunDock(app, pacer), 0);
    EXPECT_EQ(app.shutdownCalls, 1);
    EXPECT_EQ(app.ticks.size(), 6u) << "the quit is taken at the next drain";
    EXPECT_EQ(app.probePainted, std::vector<bool>({false, true, true, true, true, true})) << "a paint before a tick";
    DestroyWindow(app.paintProbe);
    app.Shutdown();
    EXPECT_EQ(app.shutdownCalls, 2);
}

TEST(MainLoop, QuitWhileIdleEndsTheLoop) {
    DrainQueue();
    TestApp app;
    PostMessageW(app.window, kQuitNow, 0, 0);
    int flushes = 0;
    FramePacer pacer = ImmediateFlushPacer(&flushes);
    EXPECT_EQ(RunDock(app, pacer), 0);
    EXPECT_EQ(app.shutdownCalls, 1);
    EXPECT_TRUE(app.ticks.empty());
    EXPECT_EQ(flushes, 0) << "an idle loop never waits on the compositor";
}

TEST(MainLoop, NoIdleTrimAfterShutdown) {
    DrainQueue();
    TestApp app;
    app.shutDown = true;
    ArmIdleTrim(app);
    MSG msg;
    Sleep(50);
    EXPECT_FALSE(PeekMessageW(&msg, app.window, WM_TIMER, WM_TIMER, PM_REMOVE));
    UINT_PTR replaced = SetTimer(app.window, kIdleTrimTimerId, 10, nullptr);
    EXPECT_NE(replaced, 0u);
    KillTimer(app.window, kIdleTrimTimerId);
}

TEST(FramePacer, ImmediateFlushIsPacedToSixtyHertz) {
    DrainQueue();
    TestApp app;
    app.framesLeft = 60;
    app.quitDuringTick = 59;
    int flushes = 0;
    FramePacer pacer = ImmediateFlushPacer(&flushes);
    ULONGLONG before = GetTickCount64();
    RunDock(app, pacer);
    double seconds = (GetTickCount64() - before) / 1000.0;
    ASSERT_EQ(app.ticks.size(), 60u);
    // 60 frames at no more than about 60 per second take at least about 59 periods.
    EXPECT_GE(seconds, 59.0 / 60.0 * 0.9);
    EXPECT_LE(60.0 / seconds, 66.0);
}

// A message another thread sends while the frame waits is answered at once.
TEST(FramePacer, TheFrameWaitAnswersMessagesSentFromOtherThreads) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    LARGE_INTEGER f, now;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&now);
    std::atomic<bool> waiting{true}, answeredWhileWaiting{false};
    std::thread sender([&] { answeredWhileWaiting = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0) == 0 && waiting; });
    FramePacer::System::Real().waitUntil(now.QuadPart + f.QuadPart / 2);
    waiting = false;
    for (MSG m; !answeredWhileWaiting && PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&m);
    sender.join();
    EXPECT_TRUE(answeredWhileWaiting);
    DestroyWindow(window);
}

TEST(FramePacer, AWaitingFlushIsNotDelayedFurther) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    long long fakeNow = 1000;
    long long waitedUntil = 0;
    FramePacer::System system;
    system.frequency = [&] { return f.QuadPart; };
    system.counter = [&] { return fakeNow; };
    system.flush = [&] {
        fakeNow += f.QuadPart / 100;  // a 10 ms wait for the compositor
        return S_OK;
    };
    system.waitUntil = [&](long long t) { waitedUntil = t; };
    FramePacer pacer(system);
    for (int i = 0; i < 5; ++i) pacer.WaitForFrame();
    EXPECT_EQ(waitedUntil, 0) << "the timer is only the fallback";

    // A failing flush falls back to the timer, one period after the previous frame.
    system.flush = [] { return E_FAIL; };
    FramePacer failing(system);
    failing.WaitForFrame();
    long long first = fakeNow;
    failing.WaitForFrame();
    EXPECT_EQ(waitedUntil, first + f.QuadPart / 60);
}
