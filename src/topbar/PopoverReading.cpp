#include "topbar/PopoverReading.h"

#include <algorithm>

#include "system/WinRtAsyncWait.h"

namespace {

bool HasTile(const DockConfig& config, const wchar_t* key) {
    return std::find(config.controlCenterTiles.begin(), config.controlCenterTiles.end(), key) !=
           config.controlCenterTiles.end();
}

}  // namespace

bool PanelAwaitsItsReading(PopoverKind kind) {
    return kind == PopoverKind::Sound || kind == PopoverKind::Wifi || kind == PopoverKind::Bluetooth ||
           kind == PopoverKind::Battery || kind == PopoverKind::ControlCenter || kind == PopoverKind::TrayApps;
}

PopoverReadPlan PlanPopoverReads(PopoverKind kind, const DockConfig& config, bool scanWifi, bool hotspotSwitching,
                                 HMONITOR monitor) {
    PopoverReadPlan plan;
    plan.kind = kind;
    plan.monitor = monitor;
    switch (kind) {
        case PopoverKind::Sound:
            plan.audioDevices = true;
            break;
        case PopoverKind::Wifi:
            plan.wifi = true;
            plan.scanWifi = scanWifi;
            break;
        case PopoverKind::Bluetooth:
            plan.bluetooth = true;
            break;
        case PopoverKind::ControlCenter:
            plan.wifi = HasTile(config, L"wifi");
            plan.bluetooth = HasTile(config, L"bluetooth");
            plan.powerMode = HasTile(config, L"power_mode");
            plan.hotspot = HasTile(config, L"hotspot") && !hotspotSwitching;
            plan.tileStates = true;
            plan.brightness = config.ccShowBrightness;
            break;
        case PopoverKind::TrayApps:
            plan.trayApps = true;
            break;
        default:
            break;
    }
    return plan;
}

PopoverReading ReadPopoverData(const PopoverServices& services, const PopoverReadPlan& plan) {
    vantreel::MtaScope com;
    PopoverReading reading;
    reading.plan = plan;
    reading.status = services.collectStatus();
    if (plan.audioDevices) reading.audioDevices = services.audioOutputDevices();
    if (plan.wifi) reading.wifi = services.scanWifi(plan.scanWifi);
    if (plan.bluetooth) reading.bluetooth = services.bluetoothDevices();
    if (plan.powerMode) reading.powerMode = services.powerSchemeSummary();
    if (plan.hotspot) reading.hotspot = services.hotspotStatus();
    if (plan.tileStates) {
        reading.keepAwake = services.keepAwakeFlag();
        reading.desktopIconsVisible = services.desktopIconsVisible();
    }
    if (plan.brightness) reading.brightness = services.displayBrightness(plan.monitor);
    if (plan.trayApps) reading.trayApps = services.trayIcons();
    return reading;
}
