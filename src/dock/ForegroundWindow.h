#pragma once
// Questions about the foreground window that the dock's auto-hide and the edge
// guard ask, and bringing a window to the front for a dock click.

#include <windows.h>

// The foreground window covers a whole monitor (or the given one) the way a
// full-screen video, game or presentation does.
bool IsForegroundFullscreen(HMONITOR monitor);

// The foreground window is maximised, or covers the monitor or its work area
// nearly exactly, on any monitor (or the given one).
bool IsForegroundMaximized(HMONITOR monitor);

// Restores a minimised window and brings it to the front, borrowing the
// foreground thread's input state when the system refuses at first.
void ActivateWindow(HWND hwnd);

// The rectangle rule of the full-screen test. A maximised window that keeps its
// caption is never full screen: when the work area is the whole monitor
// (auto-hidden taskbar, no reserved bar) its frame overhangs the monitor on every
// side, which a rectangle test alone would take for full screen.
bool CoversMonitorAsFullscreen(const RECT& window, const RECT& monitor, bool zoomed, DWORD style);

// The rectangle rule of the maximised test: covers the monitor within 2 px or
// the work area within 8 px.
bool CoversMonitorAsMaximized(const RECT& window, const RECT& monitor, const RECT& workArea);
