#include "XPointer.h"

#include <cstdio>
#include <cstring>

#include <gtest/gtest.h>

#include "DockProcess.h"

using testing_support::RunUnixCommand;

bool Xdotool(const std::wstring& arguments) { return RunUnixCommand(L"/usr/bin/xdotool " + arguments); }

bool XMoveTo(POINT screen) {
    return Xdotool(L"mousemove " + std::to_wstring(screen.x) + L" " + std::to_wstring(screen.y));
}

RECT RestingInputRect(const DockProcess& dock) {
    XMoveTo({5, 5});
    RECT input = {};
    // Generous: only against a dock that never comes to rest.
    const bool rested = WaitUntil(
        [&] {
            const std::string log = dock.DebugLog();
            const size_t line = log.rfind("Dock at rest: ");
            RECT rest = {};
            char over[16] = {};
            if (line == std::string::npos ||
                sscanf(log.c_str() + line, "Dock at rest: input (%ld,%ld)-(%ld,%ld), %15s", &rest.left, &rest.top,
                       &rest.right, &rest.bottom, over) != 5 ||
                strcmp(over, "nothing") != 0) {
                return false;
            }
            GetWindowRect(dock.InputWindow(), &input);
            return EqualRect(&input, &rest) != FALSE;
        },
        30000);
    if (!rested) {
        GetWindowRect(dock.InputWindow(), &input);
        ADD_FAILURE() << "the dock did not say it rests where its input window is\n" << dock.Describe();
    }
    return input;
}

bool XClickAt(POINT screen, int button) {
    return Xdotool(L"mousemove " + std::to_wstring(screen.x) + L" " + std::to_wstring(screen.y) + L" click " +
                   std::to_wstring(button));
}

// Wine names the X server's window of each of its windows in a property; it
// makes that window anew when a window's pixels change kind, so it is asked
// each time.
static std::wstring XWindowOf(HWND window) {
    return std::to_wstring(reinterpret_cast<uintptr_t>(GetPropW(window, L"__wine_x11_whole_window")));
}

bool XClickOn(HWND window, POINT screen, int button) {
    return XMoveTo(screen) &&
           WaitUntil(
               [&] {
                   return RunUnixCommand(L"/usr/bin/xdotool getmouselocation --shell | grep -qx WINDOW=" +
                                         XWindowOf(window));
               },
               kLeastWaitMs) &&
           Xdotool(L"click " + std::to_wstring(button));
}

bool XViewable(HWND window) {
    return RunUnixCommand(L"/usr/bin/xwininfo -id " + XWindowOf(window) + L" | grep -q IsViewable");
}

bool XButton(int button, bool down) {
    return Xdotool(std::wstring(down ? L"mousedown " : L"mouseup ") + std::to_wstring(button));
}
