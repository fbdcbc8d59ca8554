#pragma once
// The system taskbar's state and windows, shared by the dock's taskbar hider,
// the watchdog copy of the program, the --restore-taskbar mode and the crash
// filter. The mirrored values are process-wide atomics, so the crash filter can
// read them from any thread without a lock.

#include <windows.h>

#include <cstdint>

// Turns auto-hide on (saving the state found first, once) or back to the saved
// state (0 when none was saved). Returns the SHAppBarMessage result, 0 without a taskbar.
UINT_PTR SetSystemTaskbarAutoHide(bool autoHide, uint32_t& savedState, bool& stateSaved);

// Shows or hides "Shell_TrayWnd" and every "Shell_SecondaryTrayWnd".
void ShowSystemTaskbars(bool show);

// Puts the taskbar back without a hider object (another process, or a crash):
// state 0 means "the state this process saved, if any".
void RestoreSystemTaskbarsAtStartup(uint32_t state);

// The process-wide re-hide flag, written by the hider.
void SetTaskbarRehideActive(bool active);
