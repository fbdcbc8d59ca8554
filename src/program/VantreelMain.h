#pragma once
#include <windows.h>

// The whole life of the process: command line, single instance, logs, the dock
// and its main loop. Returns the process exit code.
int VantreelMain(HINSTANCE instance);
