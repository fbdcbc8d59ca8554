#pragma once
// The brightness of the monitor under the control center, over DDC/CI
// through dxva2's monitor-configuration functions. dxva2 is loaded on first
// use from the system folder; without it, or without one of its functions,
// brightness reads as not supported. Synchronous and slow (the monitor answers
// over its cable); nothing is cached between calls, nothing logged.

#include <windows.h>
#include <physicalmonitorenumerationapi.h>

#include <cstdint>

namespace vantreel {

struct BrightnessInfo {
    bool supported = false;  // the first physical monitor reported a usable range
    int32_t percent = 100;   // 0..100 of the monitor's own range; 100 when not supported
};

// The five dxva2 functions the service calls.
struct MonitorConfigApi {
    BOOL(WINAPI* getNumberOfPhysicalMonitorsFromHMONITOR)(HMONITOR monitor, DWORD* count);
    BOOL(WINAPI* getPhysicalMonitorsFromHMONITOR)(HMONITOR monitor, DWORD count, PHYSICAL_MONITOR* monitors);
    BOOL(WINAPI* getMonitorBrightness)(HANDLE monitor, DWORD* minimum, DWORD* current, DWORD* maximum);
    BOOL(WINAPI* setMonitorBrightness)(HANDLE monitor, DWORD value);
    BOOL(WINAPI* destroyPhysicalMonitors)(DWORD count, PHYSICAL_MONITOR* monitors);
};

// dxva2's functions, loaded once; null when the library or any of the five
// functions is missing.
const MonitorConfigApi* SystemMonitorConfigApi();

// A null monitor means the primary one. Only the first physical monitor is read.
BrightnessInfo GetDisplayBrightness(HMONITOR monitor);
BrightnessInfo GetDisplayBrightness(const MonitorConfigApi* api, HMONITOR monitor);

// Sets every physical monitor behind the display to `percent` (clamped to
// 0..100) of its own range; true when at least one accepted.
bool SetDisplayBrightness(HMONITOR monitor, int32_t percent);
bool SetDisplayBrightness(const MonitorConfigApi* api, HMONITOR monitor, int32_t percent);

}  // namespace vantreel
