#include "render/WallpaperLuminanceWorker.h"
#include "platform/ExceptionGuard.h"

#include "platform/DetachedThread.h"
#include "render/GraphicsDevice.h"
#include "render/WallpaperLumaCache.h"

#include <objbase.h>
#include <wrl/client.h>

#include <cmath>
#include <system_error>

bool MeasureAndPostWallpaperLuminance(HWND target, const WallpaperSystem& system,
                                      const ImagingFactoryCall& createFactory) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    float luminance = -1.0f;
    {
        Microsoft::WRL::ComPtr<IWICImagingFactory> factory;
        if (SUCCEEDED(CreateImagingFactory(factory, createFactory))) {
            luminance = ComputeWallpaperLuminance(factory.Get(), system);
            // NaN fails this test too.
            if (luminance >= 0.0f && luminance <= 1.0f) SaveWallpaperLumaCache(luminance, system);
        }
    }
    if (SUCCEEDED(com)) CoUninitialize();
    if (!(luminance >= 0.0f && luminance <= 1.0f)) return false;
    return PostMessageW(target, WM_DOCK_WALLPAPER_LUMA, static_cast<WPARAM>(std::lround(luminance * 1000.0f)), 0) !=
           FALSE;
}

bool StartWallpaperLuminanceWorker(HWND target, WallpaperSystem system) {
    try {
        // Detached with its own copy of the services: the dock may be gone by
        // the time the wallpaper is decoded, and then the post simply fails.
        platform::StartDetachedThread([target, system = std::move(system)] {
            try {
                MeasureAndPostWallpaperLuminance(target, system);
            } catch (...) {
                platform::LogCaughtException(L"StartWallpaperLuminanceWorker");
                // Nothing to report to: the glass keeps its current theme.
            }
        });
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}
