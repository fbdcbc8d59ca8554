#pragma once
// The system taskbar's state and windows, shared by the dock's taskbar hider,
// the watchdog copy of the program, the --restore-taskbar mode and the crash
// filter. The mirrored values are process-wide atomics, so the crash filter can
// read them from any thread without a lock.

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <functional>

// The app-bar calls, real by default. Tests put their own in place: some
// shells (and test machines) answer ABM_GETSTATE with a fixed value and ignore
// ABM_SETSTATE, so the state the user had cannot be observed there.
struct AppBarCalls {
    std::function<UINT_PTR(DWORD message, APPBARDATA& data)> send;
    // The primary taskbar window whose state is read and written; null while
    // the shell has none (a slow shell at logon).
    std::function<HWND()> findTaskbar;
    // What hiding does to a taskbar window: ShowWindowAsync, SetWindowPos and
    // EnableWindow.
    std::function<BOOL(HWND window, int command)> showWindowAsync;
    std::function<BOOL(HWND window, HWND after, UINT flags)> setWindowPos;
    std::function<BOOL(HWND window, BOOL enable)> enableWindow;
};
AppBarCalls& SystemAppBarCalls();

// Reads the taskbar's state once (when none is saved yet) and mirrors it.
// False without a taskbar window.
bool SaveSystemTaskbarState(uint32_t& savedState, bool& stateSaved);

// Turns auto-hide on (saving the state found first, once) or writes the saved
// state back. Without a saved state, switching off writes nothing: a state that
// was never read is not the user's. Returns the SHAppBarMessage result, 0
// without a taskbar or without a write.
UINT_PTR SetSystemTaskbarAutoHide(bool autoHide, uint32_t& savedState, bool& stateSaved);

// Shows or hides "Shell_TrayWnd" and every "Shell_SecondaryTrayWnd".
void ShowSystemTaskbars(bool show);

// Hides one taskbar window (disabled, hidden, at the bottom of the z-order)
// without waiting for the shell's thread, which may hang: the hide and the
// move are posted to it, and a window of another thread is disabled on a
// worker (EnableWindow has no posted form and waits for that thread).
void HideTaskbarWindow(HWND window);

// True for the two classes of the shell's taskbar windows.
bool IsTaskbarWindowClass(HWND window);

// Puts the taskbar back without a hider object (another process, or a crash):
// state 0 means "the state this process saved, if any".
void RestoreSystemTaskbarsAtStartup(uint32_t state);

// The process-wide re-hide flag, written by the hider.
void SetTaskbarRehideActive(bool active);
bool IsTaskbarRehideActive();
// Whether this process read and saved the user's taskbar state to restore.
bool IsSystemTaskbarStateSaved();
