#pragma once
// What the settings window's controls mean, apart from drawing them: the
// slider scales and their value texts, the control-center tile table, the
// switch rows that each flip one setting, and which rows take no input while
// another setting is off.

#include <array>
#include <cstdint>
#include <string>

#include "config/ControlCenterTileTable.h"
#include "config/DockConfig.h"

// Sliders by id: 1 icon size, 2 magnification, 3 glass opacity, 4 the
// launcher's transparency.
inline constexpr int kSliderIconSize = 1;
inline constexpr int kSliderMagnify = 2;
inline constexpr int kSliderGlass = 3;
inline constexpr int kSliderAllApps = 4;

// Where on its track a point lies: 0 at left, 1 at right, clamped.
float SliderFraction(float x, float left, float right);
// Stores the value of a slider at track position t (0..1); other ids do nothing.
void SetSliderValue(int slider, float t, DockConfig& config);
// The knob's track position for the configuration's value, clamped to 0..1.
float SliderPosition(int slider, const DockConfig& config);
// The text in the slider's value pill.
std::wstring SliderValueText(int slider, const DockConfig& config);

// Tile `index` is the row of ControlCenterTileTable. Turns it off when listed (its first occurrence goes) or on, in
// which case the list is rebuilt in table order. Other indexes do nothing.
void ToggleControlCenterTile(DockConfig& config, int index);
bool HasControlCenterTile(const DockConfig& config, int index);

// A switch row that flips one setting of the configuration; while `enabledBy`
// (when set) is off the row is inert.
struct SettingToggle {
    int32_t hitId;
    bool DockConfig::*setting;
    bool DockConfig::*enabledBy;
};
// The switch row of hit id `hitId`; null for controls that do more than flip one setting.
const SettingToggle* FindSettingToggle(int32_t hitId);
// Flips the row's setting unless the row is inert; true when it flipped.
bool FlipSetting(const SettingToggle& toggle, DockConfig& config);
