#pragma once
// What each clickable rectangle of the drop-down panel stands for. The paint
// records them; clicks and drags dispatch on them.

#include <cstdint>

enum PopoverHitId : int32_t {
    kPopoverHitVolumeTrack = 101,  // sound panel and control center
    kPopoverHitMute = 102,
    kPopoverHitAudioDevice = 103,  // index: the device's
    kPopoverHitSoundSettings = 104,
    kPopoverHitWifiSwitch = 201,
    kPopoverHitWifiRefresh = 202,
    kPopoverHitWifiNetwork = 203,  // index: in the network list
    kPopoverHitWifiTurnOn = 204,
    kPopoverHitNetworkSettings = 205,
    kPopoverHitBluetoothSwitch = 301,
    kPopoverHitBluetoothSettings = 302,
    kPopoverHitBatterySettings = 401,
    kPopoverHitTile = 501,  // index: the tile's in the configured list
    kPopoverHitBrightnessTrack = 507,
    kPopoverHitPreviousMonth = 601,
    kPopoverHitToday = 602,
    kPopoverHitNextMonth = 603,
    kPopoverHitNotificationCenter = 604,
    kPopoverHitDateTimeSettings = 605,
    kPopoverHitTrayRow = 701,  // index: the row's
    kPopoverHitTrayClose = 702,
    kPopoverHitTrayToggleHidden = 703,
};
