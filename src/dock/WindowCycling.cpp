#include "dock/WindowCycling.h"

#include <algorithm>

WindowClickChoice ChooseWindowForClick(const std::vector<HWND>& windows, HWND foreground,
                                       const std::function<bool(HWND)>& iconic,
                                       const std::function<bool(HWND)>& alive) {
    if (windows.empty()) return {};
    if (windows.size() == 1) {
        HWND only = windows.front();
        if (!alive(only)) return {};
        if (only == foreground && !iconic(only)) return {WindowClickAction::Minimize, only};
        return {WindowClickAction::Activate, only};
    }
    auto inFront = std::find(windows.begin(), windows.end(), foreground);
    HWND target = windows.front();
    if (foreground && inFront != windows.end()) {
        size_t next = (static_cast<size_t>(inFront - windows.begin()) + 1) % windows.size();
        target = windows[next];
    }
    if (!alive(target)) return {};
    return {WindowClickAction::Activate, target};
}
