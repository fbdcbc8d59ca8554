#include <windows.h>

#include "app/VantreelMain.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) { return VantreelMain(instance); }
