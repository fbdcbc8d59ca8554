#pragma once
// The thread that measures the wallpaper away from the UI thread.

#include "render/WallpaperLuminance.h"

#include <windows.h>
#include <wincodec.h>

#include <functional>

// CoCreateInstance of an imaging factory class; tests replace it.
using ImagingFactoryCall = std::function<HRESULT(REFCLSID, IWICImagingFactory**)>;

// One measurement on the calling thread: COM for this thread, an imaging
// factory of its own, the measurement, the cache and WM_DOCK_WALLPAPER_LUMA
// with the luminance x 1000 to target. Posts nothing, and returns false, when
// the factory or the measurement fails: a made-up value would turn glass that
// follows the system dark.
bool MeasureAndPostWallpaperLuminance(HWND target, const WallpaperSystem& system,
                                      const ImagingFactoryCall& createFactory = {});

// Starts a detached thread that runs MeasureAndPostWallpaperLuminance. False
// when the thread could not be started.
bool StartWallpaperLuminanceWorker(HWND target, WallpaperSystem system = RealWallpaperSystem());
