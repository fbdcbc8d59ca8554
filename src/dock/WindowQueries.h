#pragma once
// The window facts the running-application scan needs, behind replaceable
// functions so the filter and grouping can be checked against recorded facts.
// SystemWindowQueries() answers them from the real desktop.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

struct WindowQueries {
    std::function<HWND()> foregroundWindow;
    std::function<std::vector<HWND>()> topLevelWindows;  // EnumWindows order
    std::function<bool(HWND)> isWindow;
    std::function<bool(HWND)> isVisible;
    std::function<bool(HWND)> isIconic;
    std::function<bool(HWND)> isCloaked;
    std::function<bool(HWND)> isShellWindowClass;
    std::function<DWORD(HWND)> processId;
    std::function<DWORD(HWND)> style;
    std::function<DWORD(HWND)> exStyle;
    std::function<HWND(HWND)> owner;
    std::function<bool(HWND, RECT*)> windowRect;
    std::function<int(HWND)> titleLength;
    std::function<std::wstring(HWND)> title;
    std::function<std::wstring(HWND)> imagePath;
    std::function<std::wstring(HWND)> appUserModelId;  // empty when the window has none
};

WindowQueries SystemWindowQueries();

// True when the class name can't be read or is one of the shell's own
// desktop and taskbar classes.
bool IsShellWindowClass(HWND hwnd);

// Full image path of the window's process; empty when it can't be queried.
std::wstring GetProcessImagePathForWindow(HWND hwnd);

// Window text, at most 255 characters.
std::wstring GetWindowTitle(HWND hwnd);

// DWM hides cloaked windows (other virtual desktops, suspended apps) although
// they report themselves visible.
bool IsWindowCloaked(HWND hwnd);

// The window's application user model id; empty when it has none or the
// property store is unavailable.
std::wstring GetWindowAppUserModelId(HWND hwnd);
