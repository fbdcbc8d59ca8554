#pragma once
// Key chords typed as a user would, through the input queue.

#include <windows.h>

namespace testing_support {

// Alt+Space: down, down, up, up.
inline void PressAltSpace() {
    INPUT keys[4] = {};
    for (INPUT& key : keys) key.type = INPUT_KEYBOARD;
    keys[0].ki.wVk = VK_MENU;
    keys[1].ki.wVk = VK_SPACE;
    keys[2].ki.wVk = VK_SPACE;
    keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
    keys[3].ki.wVk = VK_MENU;
    keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, keys, sizeof(INPUT));
}

}  // namespace testing_support
