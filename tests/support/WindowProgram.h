#pragma once
// Another program with a window, started for one test and ended with it, for
// tests that need a real application window in front.

#include <windows.h>

#include <functional>
#include <string>

namespace testing_support {

// Polls the condition, pumping this thread's messages, until it holds or the
// time is up; whether it held. The bound only guards against a condition that
// never comes: a busy machine takes seconds to start a program under Wine.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 15000);

class WindowProgram {
public:
    // Starts the program and waits for its first shown top-level window.
    WindowProgram(const std::wstring& exe, const std::wstring& arguments);
    ~WindowProgram();  // ends the process if it still runs
    WindowProgram(const WindowProgram&) = delete;
    WindowProgram& operator=(const WindowProgram&) = delete;

    // Null when the program did not start or showed no window in time.
    HWND Window() const { return window_; }
    // Asks the window to close and waits until it is gone.
    void Close();

private:
    HANDLE process_ = nullptr;
    HWND window_ = nullptr;
};

}  // namespace testing_support
