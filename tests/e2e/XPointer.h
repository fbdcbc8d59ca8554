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

// The input window's rectangle once the X pointer is away and the dock has
// come to rest (the same for four looks 100 ms apart, 6 s at most).
RECT RestingInputRect(HWND input);
// Moves there and clicks the button (1 left, 2 middle, 3 right).
bool XClickAt(POINT screen, int button = 1);
bool XButton(int button, bool down);
