#pragma once
// The fake_taskbar helper as a process: a stand-in "Shell_TrayWnd" and
// "Shell_SecondaryTrayWnd" that the dock finds before the shell's own.

#include <windows.h>

#include <string>

class FakeTaskbarProcess {
public:
    FakeTaskbarProcess();
    ~FakeTaskbarProcess();
    FakeTaskbarProcess(const FakeTaskbarProcess&) = delete;
    FakeTaskbarProcess& operator=(const FakeTaskbarProcess&) = delete;

    bool Started() const { return primary_ && secondary_; }
    HWND Primary() const { return primary_; }
    HWND Secondary() const { return secondary_; }
    bool BothShown() const;
    bool BothHidden() const;
    // The shell restarts: both windows show again and "TaskbarCreated" goes out.
    void ShowAgainAndAnnounce() const;

private:
    HWND FindOwn(const wchar_t* className) const;
    PROCESS_INFORMATION process_ = {};
    HWND primary_ = nullptr;
    HWND secondary_ = nullptr;
};

// Ctrl+Alt+T through the system's input queue, as the user would press it.
void PressToggleTaskbarHotkey();
