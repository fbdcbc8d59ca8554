#pragma once
// Which window a click on a running application's icon acts on: the only
// window is minimised when it is in front and raised otherwise; several
// windows are raised one after another, starting after the one in front.

#include <windows.h>

#include <functional>
#include <vector>

enum class WindowClickAction { None, Minimize, Activate };

struct WindowClickChoice {
    WindowClickAction action = WindowClickAction::None;
    HWND window = nullptr;
};

// A handle that no longer names a window (`alive` false) is left alone.
WindowClickChoice ChooseWindowForClick(const std::vector<HWND>& windows, HWND foreground,
                                       const std::function<bool(HWND)>& iconic, const std::function<bool(HWND)>& alive);
