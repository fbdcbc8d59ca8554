#pragma once
// The thread that measures the wallpaper away from the UI thread.

#include "render/WallpaperLuminance.h"

#include <windows.h>

// Starts a detached thread that measures the wallpaper with its own imaging
// factory, saves the cache and posts WM_DOCK_WALLPAPER_LUMA with the luminance
// x 1000 to target. False when the thread could not be started.
bool StartWallpaperLuminanceWorker(HWND target,
                                   WallpaperSystem system = RealWallpaperSystem());
