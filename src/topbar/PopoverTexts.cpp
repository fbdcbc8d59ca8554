#include "topbar/PopoverTexts.h"

#include <algorithm>

std::wstring BatteryStatusText(bool acOnline, int32_t batteryLifeSeconds) {
    if (acOnline) return L"电源状态：接通电源充电中";
    std::wstring text = L"电源状态：使用电池供电";
    if (batteryLifeSeconds >= 1) {
        const int32_t hours = batteryLifeSeconds / 3600;
        const int32_t minutes = batteryLifeSeconds / 60 - hours * 60;
        text += L"（预计剩余 " + std::to_wstring(hours) + L" 小时 " + std::to_wstring(minutes) + L" 分钟）";
    }
    return text;
}

float BatteryFillRight(uint32_t percent, float panelWidth) {
    const float t = std::clamp(static_cast<float>(percent) / 100.0f, 0.04f, 1.0f);
    return 14.0f + t * (panelWidth - 28.0f);
}

WifiRowRange VisibleWifiRows(int32_t wifiScroll, size_t networks) {
    const int64_t lastFirst = networks > kWifiVisibleRows ? static_cast<int64_t>(networks - kWifiVisibleRows) : 0;
    const size_t first = static_cast<size_t>(std::clamp<int64_t>(wifiScroll, 0, lastFirst));
    return {first, std::min(first + kWifiVisibleRows, networks)};
}

int32_t ScrollWifiRows(int32_t wifiScroll, int wheelDelta, size_t networks) {
    if (networks <= kWifiVisibleRows) return wifiScroll;
    const int32_t lastFirst = static_cast<int32_t>(networks - kWifiVisibleRows);
    return std::clamp(wifiScroll + (wheelDelta < 0 ? 1 : -1), 0, lastFirst);
}

SliderGeometry PopoverSliderGeometry(float left, float top, float right, float bottom, float value, float scale) {
    const float half = (bottom - top) / 2.0f;
    const float k = half - 1.5f * scale;
    const float t = std::clamp(value, 0.0f, 1.0f);
    SliderGeometry g;
    g.knobRadius = k;
    g.knobX = left + k + t * std::max(right - left - 2.0f * k, 1.0f);
    g.knobY = top + half;
    g.fillRight = std::min(g.knobX + 0.7f * k, right);
    return g;
}

float SliderValueAt(float x, float trackLeft, float trackRight) {
    return std::clamp((x - trackLeft) / std::max(trackRight - trackLeft, 1.0f), 0.0f, 1.0f);
}
