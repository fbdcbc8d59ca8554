#include <cmath>

#include "system/StatusSnapshot.h"

namespace vantreel {

namespace {

// Whole percent: a change of volume below half a percent is no change.
int VolumePercent(float volume) { return static_cast<int>(std::trunc(volume * 100.0f + 0.5f)); }

}  // namespace

bool SystemStatusSnapshot::operator==(const SystemStatusSnapshot& other) const {
    return VolumePercent(volume) == VolumePercent(other.volume) && muted == other.muted &&
           volumeAvailable == other.volumeAvailable && internet == other.internet &&
           wifiConnected == other.wifiConnected && wifiSignalQuality == other.wifiSignalQuality &&
           ethernetConnected == other.ethernetConnected && bluetoothPresent == other.bluetoothPresent &&
           bluetoothOn == other.bluetoothOn && bluetoothStale == other.bluetoothStale &&
           hasBattery == other.hasBattery && acOnline == other.acOnline && batteryPercent == other.batteryPercent &&
           batteryLifeSeconds == other.batteryLifeSeconds && clockText == other.clockText &&
           inputIndicator == other.inputIndicator;
}

}  // namespace vantreel
