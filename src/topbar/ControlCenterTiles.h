#pragma once
// What each control-center tile shows: title, status text and whether its icon
// circle is lit, from the records the popover keeps.

#include <cstdint>
#include <string>
#include <string_view>

#include "config/ControlCenterTileTable.h"

// The records behind the tiles, copied out of the popover's members.
struct ControlCenterTileState {
    bool wifiRadioOn = false;
    bool wifiConnected = false;
    std::wstring wifiSsid;  // the connected network's
    bool bluetoothPresent = false;
    bool bluetoothOn = false;
    bool keepAwake = false;
    std::wstring powerSchemeName;  // the active scheme's
    bool highPerformance = false;
    bool hotspotAvailable = false;
    bool hotspotOn = false;
    uint32_t hotspotClients = 0;
    bool hotspotSwitching = false;
    bool hotspotTarget = false;  // the state a running switch goes to
    bool darkGlass = false;
    bool desktopIconsVisible = true;
    // The records predate this opening's answer.
    bool reading = false;
    // The service behind the tile did not answer in time: its record is the
    // last answer it gave (or none), not what holds now.
    bool wifiStale = false;
    bool bluetoothStale = false;
    bool hotspotStale = false;
};

struct ControlCenterTileFace {
    std::wstring title;
    std::wstring status;
    bool active = false;
};

// An unknown key gives empty texts and an unlit circle. A tile whose state is
// not known (ControlCenterTileStateUnknown) is unlit and says it is being read.
ControlCenterTileFace ControlCenterTileFaceFor(std::wstring_view key, const ControlCenterTileState& state);

// The tile shows (and its click acts on) a state read of the machine.
bool ControlCenterTileShowsReadState(ControlCenterTile tile);

// The tile's state is not known now: the records predate this opening's
// answer, or its service did not answer in time. Its click must do nothing:
// switching to the opposite of an unknown state may repeat what the machine has.
bool ControlCenterTileStateUnknown(ControlCenterTile tile, const ControlCenterTileState& state);
