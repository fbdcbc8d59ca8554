#pragma once
// The application object: owns every window and service of the program. The
// entry point builds exactly one on its stack and drives it from the main loop.

#include <windows.h>

class DockWindow {
public:
    DockWindow() = default;
    ~DockWindow();
    DockWindow(const DockWindow&) = delete;
    DockWindow& operator=(const DockWindow&) = delete;

    // The whole start-up; false means the program cannot run.
    bool Initialize(HINSTANCE instance, bool keepTaskbar);
    bool IsAnimating();
    void Tick(float dt);
    // Runs once; a second call does nothing.
    void Shutdown();

    HWND InputWindow() const { return inputWindow_; }
    bool IsShutDown() const { return shutDown_; }

private:
    HINSTANCE instance_ = nullptr;
    HWND visualWindow_ = nullptr;
    HWND inputWindow_ = nullptr;
    bool shutDown_ = false;
};
