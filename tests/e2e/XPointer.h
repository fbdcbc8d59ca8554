#pragma once
// The pointer of the X server the program's windows live on, moved and
// clicked with xdotool: it reaches Wine's windows as a user's mouse would,
// where SendInput only moves Wine's own idea of the cursor.

#include <windows.h>

#include <string>

#include "support/UnixCommand.h"

// Runs xdotool with the arguments; true when it ran and succeeded.
bool Xdotool(const std::wstring& arguments);

bool XMoveTo(POINT screen);

class DockProcess;
// The input window's rectangle once the X pointer is away and the dock says
// it came to rest there with nothing over it.
RECT RestingInputRect(const DockProcess& dock);
// Moves there and clicks the button (1 left, 2 middle, 3 right).
bool XClickAt(POINT screen, int button = 1);
// Moves there, waits until the X server has the window under the pointer (a
// window just shown may not be mapped yet, and a press that comes with the
// motion then goes to the window below), and clicks.
bool XClickOn(HWND window, POINT screen, int button = 1);
// Whether the X server maps the window, its own view of what it shows.
bool XViewable(HWND window);
bool XButton(int button, bool down);
