#include "render/WallpaperLuminanceWorker.h"

#include "render/WallpaperLumaCache.h"

#include <objbase.h>
#include <wrl/client.h>

#include <cmath>
#include <system_error>
#include <thread>

namespace {

void MeasureAndPost(HWND target, const WallpaperSystem& system) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    float luminance = 0.0f;
    {
        Microsoft::WRL::ComPtr<IWICImagingFactory> factory;
        if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_PPV_ARGS(&factory)))) {
            factory.Reset();
        }
        luminance = ComputeWallpaperLuminance(factory.Get(), system);
        SaveWallpaperLumaCache(luminance, system);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    const float clamped = luminance < 0.0f ? 0.0f : (luminance > 1.0f ? 1.0f : luminance);
    PostMessageW(target, WM_DOCK_WALLPAPER_LUMA,
                 static_cast<WPARAM>(std::lround(clamped * 1000.0f)), 0);
}

}  // namespace

bool StartWallpaperLuminanceWorker(HWND target, WallpaperSystem system) {
    try {
        // Detached with its own copy of the services: the dock may be gone by
        // the time the wallpaper is decoded, and then the post simply fails.
        std::thread([target, system = std::move(system)] {
            try {
                MeasureAndPost(target, system);
            } catch (...) {
                // Nothing to report to: the glass keeps its current theme.
            }
        }).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}
