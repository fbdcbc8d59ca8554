#pragma once
// What the popover reads of the machine for the panel it shows, as a plan made
// on the UI thread and a reading that a worker fills by that plan. The reads
// run in a fixed order: the status, then the panel's own services.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "config/DockConfig.h"
#include "topbar/PopoverKind.h"
#include "topbar/PopoverServices.h"

struct PopoverReadPlan {
    PopoverKind kind = PopoverKind::None;  // the panel it was made for
    bool audioDevices = false;
    bool wifi = false;
    bool scanWifi = false;
    bool bluetooth = false;
    bool powerMode = false;
    bool hotspot = false;
    bool tileStates = false;  // keep-awake and desktop icons
    bool brightness = false;
    bool trayApps = false;
    HMONITOR monitor = nullptr;
    // The panel's count of its own changes when it asked: an answer never undoes
    // a change the user made after the question.
    uint64_t edits = 0;
};

struct PopoverReading {
    PopoverReadPlan plan;
    vantreel::SystemStatusSnapshot status;
    std::vector<vantreel::AudioDevice> audioDevices;
    vantreel::WifiPanelState wifi;
    vantreel::BluetoothState bluetooth;
    vantreel::PowerModeInfo powerMode;
    vantreel::HotspotStatusInfo hotspot;
    bool keepAwake = false;
    bool desktopIconsVisible = true;
    vantreel::BrightnessInfo brightness;
    std::vector<TrayIconInfo> trayApps;
};

// The kinds whose panels show switches, levels and lists of the machine (the
// charge, the running tray applications) that a click acts on or a glance
// trusts: on each opening they draw those as being read, and their controls
// do nothing, until the opening's first answer.
bool PanelAwaitsItsReading(PopoverKind kind);

// The reads of a kind: the control center's by its tiles and sliders, its
// hotspot only while no switch is under way.
PopoverReadPlan PlanPopoverReads(PopoverKind kind, const DockConfig& config, bool scanWifi, bool hotspotSwitching,
                                 HMONITOR monitor);

// Runs the plan's reads; on a worker, which initialises COM for itself.
PopoverReading ReadPopoverData(const PopoverServices& services, const PopoverReadPlan& plan);
