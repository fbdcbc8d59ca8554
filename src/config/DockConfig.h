#pragma once
// Every user setting of the program. A plain value: the dock owns the live
// copy, and each window keeps its own copy that the dock refreshes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>
#include "config/PathText.h"

// One pinned dock entry. appId identifies the application; without anything
// better it is NormalizePathKey of the path.
struct PinnedApp {
    std::wstring name;
    std::wstring path;
    std::wstring args;
    std::wstring appId;

    bool operator==(const PinnedApp&) const = default;
};

// The control-center tiles shown by default, in display order.
std::vector<std::wstring> DefaultControlCenterTiles();
// Exact comparison with the tile ids the control center knows.
bool IsKnownControlCenterTile(std::wstring_view id);

// Appends {label, expanded path, "", key} for the first candidate (environment
// variables expanded) that names an existing file; nothing when none does.
void AddDefaultPinnedApp(std::vector<PinnedApp>& pinned, std::wstring_view label,
                         const std::vector<std::wstring>& candidates);

// Drops every entry equal to an earlier one, in linear time; the order stays.
void KeepFirstOfEach(std::vector<std::wstring>& list);

struct DockConfig {
    float iconSize = 48.0f;
    bool magnifyEnabled = true;
    float magnifyScale = 1.55f;
    float magnifySigma = 110.0f;
    int32_t theme = 0;  // a GlassTheme: 0 follows the system, 1 dark, 2 light
    float glassOpacity = 0.62f;
    float allAppsTransparency = 0.25f;
    bool hideTaskbar = true;
    bool hideDockOnFullscreen = false;
    bool autoStart = false;
    bool useMacIcons = true;
    bool showTopBar = true;
    bool topBarReserveSpace = true;
    bool topBarTrayCollapsed = false;
    bool topBarOriginalTrayIcons = true;
    bool showLunarCalendar = true;
    bool doNotDisturb = false;
    uint64_t clearedNotifWatermark = 0;  // a FILETIME value
    int32_t bottomMargin = 8;
    std::vector<std::wstring> controlCenterTiles = DefaultControlCenterTiles();
    bool ccShowBrightness = true;
    bool ccShowVolume = true;
    std::vector<PinnedApp> pinned;
    std::vector<std::wstring> hiddenApps;
    std::vector<std::wstring> hiddenTrayApps;

    // Defaults with the default tiles; no pinned entries and no hidden apps.
    DockConfig() = default;
    DockConfig(const DockConfig&) = default;
    DockConfig(DockConfig&&) = default;
    DockConfig& operator=(const DockConfig&) = default;
    DockConfig& operator=(DockConfig&&) = default;
    // Member-wise; lets a window tell whether a refreshed copy changed anything.
    bool operator==(const DockConfig&) const = default;

    // The defaults plus the default pinned applications found on this machine.
    static DockConfig MakeDefault();
    // Brings every field into its range; lists keep only entries they may hold.
    static void Clamp(DockConfig& config);
    // Clamp's single values alone, for lists already in shape (the reader's).
    static void ClampValues(DockConfig& config);
    // Replaces the pinned list with the default applications found on this machine.
    static void ResetPinnedToDefaults(DockConfig& config);

    // The configuration file's text: UTF-8, LF line ends, all keys in a fixed order.
    static std::string ToJson(const DockConfig& config);
    // Replaces out only when the whole text parses; unknown keys are skipped.
    // On failure `faultAt`, when given, is the byte offset where reading stopped.
    static bool FromJson(std::string_view text, DockConfig& out, size_t* faultAt = nullptr);
    static bool FromJson(const char* data, size_t size, DockConfig& out) {
        return FromJson(std::string_view(data, size), out);
    }
};
