#pragma once
// Small computations of the popover's panels: battery texts and bar, the
// visible window of the Wi-Fi list, the slider's knob and the value under the
// pointer. Pure, in DIP.

#include <cstddef>
#include <cstdint>
#include <string>

// What a panel shows for a value it has not yet read in this opening.
inline constexpr wchar_t kPopoverBeingRead[] = L"…";

// "电源状态：…", with the remaining time when on battery and it is known.
std::wstring BatteryStatusText(bool acOnline, int32_t batteryLifeSeconds);

// Right edge of the battery bar's fill on a panel of the given width; never
// less than 4 percent of the track.
float BatteryFillRight(uint32_t percent, float panelWidth);

inline constexpr size_t kWifiVisibleRows = 7;

// The network rows shown: [first, last).
struct WifiRowRange {
    size_t first = 0;
    size_t last = 0;
};
WifiRowRange VisibleWifiRows(int32_t wifiScroll, size_t networks);

// The first visible row after a wheel notch (negative delta scrolls down);
// unchanged when the list fits.
int32_t ScrollWifiRows(int32_t wifiScroll, int wheelDelta, size_t networks);

struct SliderGeometry {
    float knobX = 0.0f;
    float knobY = 0.0f;
    float knobRadius = 0.0f;
    float fillRight = 0.0f;  // right edge of the filled part of the track
};
SliderGeometry PopoverSliderGeometry(float left, float top, float right, float bottom, float value, float scale);

// The slider value under pointer x on a track, clamped to 0..1.
float SliderValueAt(float x, float trackLeft, float trackRight);
