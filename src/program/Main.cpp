#include <windows.h>

#include "program/VantreelMain.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return VantreelMain(instance); }
