#include "system/Brightness.h"

#include <cmath>
#include <mutex>
#include <vector>

namespace vantreel {
namespace {

template <typename Function>
bool Resolve(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return function != nullptr;
}

const MonitorConfigApi* LoadDxva2() {
    // Only the system folder: a dxva2.dll beside the executable is not ours.
    HMODULE module = LoadLibraryExW(L"dxva2.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) return nullptr;
    static MonitorConfigApi api{};
    if (!Resolve(module, "GetNumberOfPhysicalMonitorsFromHMONITOR", api.getNumberOfPhysicalMonitorsFromHMONITOR) ||
        !Resolve(module, "GetPhysicalMonitorsFromHMONITOR", api.getPhysicalMonitorsFromHMONITOR) ||
        !Resolve(module, "GetMonitorBrightness", api.getMonitorBrightness) ||
        !Resolve(module, "SetMonitorBrightness", api.setMonitorBrightness) ||
        !Resolve(module, "DestroyPhysicalMonitors", api.destroyPhysicalMonitors))
        return nullptr;
    return &api;
}

HMONITOR ResolveMonitor(HMONITOR monitor) {
    return monitor ? monitor : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
}

// The physical monitors behind a display, destroyed with the object.
class PhysicalMonitors {
public:
    PhysicalMonitors(const MonitorConfigApi& api, HMONITOR monitor) : api_(api) {
        DWORD count = 0;
        if (!api.getNumberOfPhysicalMonitorsFromHMONITOR(monitor, &count) || count == 0) return;
        std::vector<PHYSICAL_MONITOR> monitors(count, PHYSICAL_MONITOR{});
        if (!api.getPhysicalMonitorsFromHMONITOR(monitor, count, monitors.data())) return;
        monitors_ = std::move(monitors);
    }
    ~PhysicalMonitors() {
        if (!monitors_.empty()) api_.destroyPhysicalMonitors(static_cast<DWORD>(monitors_.size()), monitors_.data());
    }
    PhysicalMonitors(const PhysicalMonitors&) = delete;
    PhysicalMonitors& operator=(const PhysicalMonitors&) = delete;

    const std::vector<PHYSICAL_MONITOR>& List() const { return monitors_; }

private:
    const MonitorConfigApi& api_;
    std::vector<PHYSICAL_MONITOR> monitors_;
};

struct BrightnessRange {
    DWORD minimum = 0, current = 0, maximum = 100;
};

// The monitor's range, when it answered and its maximum is above its minimum.
bool ReadRange(const MonitorConfigApi& api, HANDLE monitor, BrightnessRange& range) {
    range = BrightnessRange{};
    return api.getMonitorBrightness(monitor, &range.minimum, &range.current, &range.maximum) &&
           range.maximum > range.minimum;
}

}  // namespace

const MonitorConfigApi* SystemMonitorConfigApi() {
    static std::once_flag once;
    static const MonitorConfigApi* api = nullptr;
    std::call_once(once, [] { api = LoadDxva2(); });
    return api;
}

BrightnessInfo GetDisplayBrightness(HMONITOR monitor) {
    return GetDisplayBrightness(SystemMonitorConfigApi(), monitor);
}

BrightnessInfo GetDisplayBrightness(const MonitorConfigApi* api, HMONITOR monitor) {
    BrightnessInfo info;
    if (!api) return info;
    PhysicalMonitors monitors(*api, ResolveMonitor(monitor));
    BrightnessRange range;
    if (monitors.List().empty() || !ReadRange(*api, monitors.List().front().hPhysicalMonitor, range)) return info;
    // Unsigned, so a current value below the minimum reads as the top.
    const DWORD offset = range.current - range.minimum;
    const double percent = std::round(offset * 100.0 / (range.maximum - range.minimum));
    info.supported = true;
    info.percent = percent > 100.0 ? 100 : static_cast<int32_t>(percent);
    return info;
}

bool SetDisplayBrightness(HMONITOR monitor, int32_t percent) {
    return SetDisplayBrightness(SystemMonitorConfigApi(), monitor, percent);
}

bool SetDisplayBrightness(const MonitorConfigApi* api, HMONITOR monitor, int32_t percent) {
    if (!api) return false;
    PhysicalMonitors monitors(*api, ResolveMonitor(monitor));
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    bool accepted = false;
    for (const PHYSICAL_MONITOR& physical : monitors.List()) {
        BrightnessRange range;
        if (!ReadRange(*api, physical.hPhysicalMonitor, range)) continue;
        const DWORD value =
            range.minimum + static_cast<DWORD>(std::round((range.maximum - range.minimum) * (percent / 100.0)));
        if (api->setMonitorBrightness(physical.hPhysicalMonitor, value)) accepted = true;
    }
    return accepted;
}

}  // namespace vantreel
