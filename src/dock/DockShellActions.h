#pragma once
// The system calls behind the dock's clicks and menu commands, so that what a
// click decides can be watched without starting, raising or closing anything.
// Every member defaults to the real call.

#include <windows.h>

#include <functional>
#include <string>

struct DockShellActions {
    std::function<bool(const std::wstring& path, const std::wstring& arguments)> launchApp;
    std::function<void(HWND)> activateWindow;
    std::function<void(HWND, int command)> showWindowAsync;
    // Asks a window to close (WM_CLOSE), as its own close button would.
    std::function<void(HWND)> closeWindow;
    // Opens "shell:RecycleBinFolder".
    std::function<void()> openRecycleBin;
    // Empties the bin with the system's confirmation, owned by `owner`.
    std::function<void(HWND owner)> emptyRecycleBin;
    std::function<void(const std::wstring& path)> openFileLocation;
    std::function<HWND()> foregroundWindow;
    std::function<bool(HWND)> isWindow;
    std::function<bool(HWND)> isIconic;

    DockShellActions();
};
