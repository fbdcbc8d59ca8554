#pragma once
// The frame-paced message loop. While the application animates it drains the
// queue without blocking, ticks once with the measured frame time and waits for
// the next composed frame; otherwise it blocks in GetMessageW, so an idle dock
// takes no wake-ups at all.
//
// The application object provides:
//   bool IsAnimating();  void Tick(float dt);  HWND InputWindow() const;
//   bool IsShutDown() const;
// A tick presents its frame before the windows' paints are dispatched.
// The input window receives the idle-trim timer 2, three seconds after every
// animation ends.

#include <windows.h>

#include "app/FramePacer.h"
#include "platform/Log.h"

constexpr UINT_PTR kIdleTrimTimerId = 2;
constexpr UINT kIdleTrimDelayMs = 3000;
constexpr UINT_PTR kTestAllAppsTimerId = 10;
// The first tick after an idle wake-up: the idle gap never counts as frame time.
constexpr float kFirstTickSeconds = 1.0f / 120.0f;
// What the loop takes before a tick: everything but paints. A window's paint
// (the settings window drawing a page it has not shown yet) waits for the
// frame the same change asked of the dock, which goes out first.
constexpr UINT kAllButPaints = PM_QS_INPUT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE;

// The paints waiting after a tick.
inline void DispatchPaints() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) DispatchMessageW(&msg);
}

enum class LoopEnd {
    Quit,              // WM_QUIT taken from the queue
    MessageLoopEnded,  // GetMessageW returned 0 or -1
};

template <class App>
void ArmIdleTrim(App& app) {
    HWND input = app.InputWindow();
    if (input && !app.IsShutDown()) SetTimer(input, kIdleTrimTimerId, kIdleTrimDelayMs, nullptr);
}

template <class App>
LoopEnd RunMainLoop(App& app, FramePacer& pacer) {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    long long lastCounter = counter.QuadPart;

    bool wasAnimating = app.IsAnimating();
    if (!wasAnimating) ArmIdleTrim(app);

    MSG msg;
    for (;;) {
        if (app.IsAnimating()) {
            wasAnimating = true;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | kAllButPaints)) {
                if (msg.message == WM_QUIT) return LoopEnd::Quit;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            QueryPerformanceCounter(&counter);
            float dt = static_cast<float>(counter.QuadPart - lastCounter) / static_cast<float>(frequency.QuadPart);
            lastCounter = counter.QuadPart;
            app.Tick(dt);
            DispatchPaints();
            if (!app.IsAnimating()) {
                wasAnimating = false;
                ArmIdleTrim(app);
            }
            pacer.WaitForFrame();
            continue;
        }

        if (wasAnimating) {
            wasAnimating = false;
            ArmIdleTrim(app);
        }
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            LogMessage(L"exit: message loop ended (ret=%d, msg=0x%04X)", static_cast<int>(got),
                       got == 0 ? msg.message : 0u);
            return LoopEnd::MessageLoopEnded;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | kAllButPaints)) {
            if (msg.message == WM_QUIT) {
                QueryPerformanceCounter(&counter);
                lastCounter = counter.QuadPart;
                return LoopEnd::Quit;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        QueryPerformanceCounter(&counter);
        lastCounter = counter.QuadPart;
        if (app.IsAnimating()) {
            app.Tick(kFirstTickSeconds);
            wasAnimating = true;
            if (!app.IsAnimating()) {
                wasAnimating = false;
                ArmIdleTrim(app);
            }
        }
        DispatchPaints();
    }
}

// The loop followed by the orderly stop: the dock's whole run after a
// successful start. WM_QUIT's parameter is never the exit code.
template <class App>
int RunDock(App& app, FramePacer& pacer) {
    RunMainLoop(app, pacer);
    app.Shutdown();
    return 0;
}
