#include "topbar/PopoverSize.h"

#include <algorithm>
#include <cmath>

namespace {

float Rows(size_t count, size_t most) { return static_cast<float>(std::clamp<size_t>(count, 1, most)); }

}  // namespace

float ControlCenterHeight(size_t tiles, bool showBrightness, bool showVolume) {
    const size_t rows = (tiles + 1) / 2;
    const bool anySlider = showBrightness || showVolume;
    float height = 14.0f;
    if (rows > 0) height += 56.0f * static_cast<float>(rows) + 8.0f * static_cast<float>(rows - 1);
    if (rows > 0 && anySlider) height += 10.0f;
    if (showBrightness) height += 62.0f;
    if (showVolume) height += 62.0f;
    if (showBrightness && showVolume) height += 8.0f;
    if (tiles == 0 && !anySlider) height += 48.0f;  // the hint line
    return height + 14.0f;
}

PopoverSize PopoverPanelSize(PopoverKind kind, const PopoverContentCounts& c) {
    switch (kind) {
        case PopoverKind::Sound:
            return {304.0f, 170.0f + 34.0f * Rows(c.audioDevices, 6)};
        case PopoverKind::Wifi: {
            const float ethernet = c.ethernetRow ? 110.0f : 58.0f;
            const float status = c.statusLine ? 24.0f : 0.0f;
            const float list = c.wifiRadioOn ? 10.0f + 36.0f * Rows(c.wifiNetworks, 7) : 88.0f;
            return {324.0f, ethernet + status + list + 42.0f};
        }
        case PopoverKind::Bluetooth:
            return {300.0f, 108.0f + 34.0f * Rows(c.bluetoothDevices, 7)};
        case PopoverKind::Battery:
            return {276.0f, 152.0f};
        case PopoverKind::ControlCenter:
            return {332.0f, ControlCenterHeight(c.controlCenterTiles, c.ccShowBrightness, c.ccShowVolume)};
        case PopoverKind::Calendar:
            return c.showLunarCalendar ? PopoverSize{316.0f, 412.0f} : PopoverSize{298.0f, 338.0f};
        case PopoverKind::TrayApps:
            return {300.0f, 68.0f + 36.0f * Rows(c.trayApps, 8)};
        default:
            return {280.0f, 180.0f};
    }
}
