#include "dock/SettingsControls.h"

#include <algorithm>
#include <cmath>
#include <cwchar>

#include "dock/SettingsWindow.h"

namespace {

// The rows below the top bar's own switch concern a top bar that is shown.
constexpr std::array<SettingToggle, 11> kToggles = {{
    {SettingsWindow::kHitMagnify, &DockConfig::magnifyEnabled, nullptr},
    {SettingsWindow::kHitMacIcons, &DockConfig::useMacIcons, nullptr},
    {SettingsWindow::kHitHideTaskbar, &DockConfig::hideTaskbar, nullptr},
    {SettingsWindow::kHitTopBar, &DockConfig::showTopBar, nullptr},
    {SettingsWindow::kHitDoNotDisturb, &DockConfig::doNotDisturb, nullptr},
    {SettingsWindow::kHitHideOnFullscreen, &DockConfig::hideDockOnFullscreen, nullptr},
    {SettingsWindow::kHitBrightness, &DockConfig::ccShowBrightness, nullptr},
    {SettingsWindow::kHitVolume, &DockConfig::ccShowVolume, nullptr},
    {SettingsWindow::kHitReserveSpace, &DockConfig::topBarReserveSpace, &DockConfig::showTopBar},
    {SettingsWindow::kHitLunar, &DockConfig::showLunarCalendar, &DockConfig::showTopBar},
    {SettingsWindow::kHitOriginalTrayIcons, &DockConfig::topBarOriginalTrayIcons, &DockConfig::showTopBar},
}};

constexpr float kIconSizeMin = 32.0f;
constexpr float kIconSizeSpan = 40.0f;  // the slider stops at 72 although the file allows more
constexpr float kGlassMax = 0.85f;

float Clamp01(float t) { return std::clamp(t, 0.0f, 1.0f); }

// Nearest, halves away from zero.
float RoundAway(float v) { return std::round(v); }

int Percent(float fraction) { return static_cast<int>(std::lround(fraction * 100.0f)); }

}  // namespace

float SliderFraction(float x, float left, float right) { return Clamp01((x - left) / std::max(right - left, 1.0f)); }

void SetSliderValue(int slider, float t, DockConfig& config) {
    t = Clamp01(t);
    switch (slider) {
        case kSliderIconSize:
            config.iconSize = RoundAway(kIconSizeMin + kIconSizeSpan * t);
            break;
        case kSliderMagnify:
            config.magnifyScale = RoundAway((t + 1.0f) * 20.0f) / 20.0f;
            break;
        case kSliderGlass:
            config.glassOpacity = RoundAway(85.0f * t) / 100.0f;
            break;
        case kSliderAllApps:
            config.allAppsTransparency = RoundAway(100.0f * t) / 100.0f;
            break;
        default:
            break;
    }
}

float SliderPosition(int slider, const DockConfig& config) {
    switch (slider) {
        case kSliderIconSize:
            return Clamp01((config.iconSize - kIconSizeMin) / kIconSizeSpan);
        case kSliderMagnify:
            return Clamp01(config.magnifyScale - 1.0f);
        case kSliderGlass:
            return Clamp01(config.glassOpacity / kGlassMax);
        case kSliderAllApps:
            return Clamp01(config.allAppsTransparency);
        default:
            return 0.0f;
    }
}

std::wstring SliderValueText(int slider, const DockConfig& config) {
    wchar_t text[32] = {};
    switch (slider) {
        case kSliderIconSize:
            _snwprintf(text, 31, L"%d px", static_cast<int>(std::lround(config.iconSize)));
            return text;
        case kSliderMagnify:
            _snwprintf(text, 31, L"%.2fx", static_cast<double>(config.magnifyScale));
            return text;
        case kSliderGlass: {
            int p = Percent(config.glassOpacity);
            return p == 0 ? L"0% 全透" : std::to_wstring(p) + L"%";
        }
        case kSliderAllApps: {
            int p = Percent(config.allAppsTransparency);
            if (p == 0) return L"0% 不透";
            if (p == 100) return L"100% 全透";
            return std::to_wstring(p) + L"%";
        }
        default:
            return L"";
    }
}

bool HasControlCenterTile(const DockConfig& config, int index) {
    if (index < 0 || index >= kControlCenterTileCount) return false;
    const auto& tiles = config.controlCenterTiles;
    return std::find(tiles.begin(), tiles.end(), ControlCenterTileTable()[static_cast<size_t>(index)].key) !=
           tiles.end();
}

void ToggleControlCenterTile(DockConfig& config, int index) {
    if (index < 0 || index >= kControlCenterTileCount) return;
    auto& tiles = config.controlCenterTiles;
    const std::wstring key(ControlCenterTileTable()[static_cast<size_t>(index)].key);
    auto found = std::find(tiles.begin(), tiles.end(), key);
    if (found != tiles.end()) {
        tiles.erase(found);
        return;
    }
    // Walking the table keeps the stored list in table order, whatever order
    // the tiles were turned on in.
    std::vector<std::wstring> rebuilt;
    for (const ControlCenterTileEntry& tile : ControlCenterTileTable()) {
        bool wanted = key == tile.key || std::find(tiles.begin(), tiles.end(), tile.key) != tiles.end();
        if (wanted) rebuilt.emplace_back(tile.key);
    }
    tiles = std::move(rebuilt);
}

const SettingToggle* FindSettingToggle(int32_t hitId) {
    for (const SettingToggle& toggle : kToggles) {
        if (toggle.hitId == hitId) return &toggle;
    }
    return nullptr;
}

bool FlipSetting(const SettingToggle& toggle, DockConfig& config) {
    if (toggle.enabledBy && !(config.*toggle.enabledBy)) return false;
    config.*toggle.setting = !(config.*toggle.setting);
    return true;
}
