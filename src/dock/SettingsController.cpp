// What the settings window's controls do to its copy of the configuration,
// and how a change reaches the owner, which applies it and saves the file; the
// auto-start row, which shows what the system does rather than the stored flag.
#include "dock/SettingsWindow.h"

#include <atomic>

#include "app/StartupTask.h"
#include "dock/SettingsControls.h"
#include "render/GlassTheme.h"

void SettingsWindow::AskAutoStart() {
    // Asks are numbered across windows, so an answer for a window gone since
    // is never taken by another.
    static std::atomic<LPARAM> lastAsk{0};
    autoStartAsk = ++lastAsk;
    ReadAutoStartOnWorker([window = hwnd, ask = autoStartAsk](bool enabled) {
        PostMessageW(window, kAutoStartAnswer, enabled ? 1 : 0, ask);
    });
}

void SettingsWindow::TakeAutoStart(bool enabled) {
    autoStartAsk = 0;  // an answer still on its way is older than this one
    autoStartKnown = true;
    lastAutoStart = enabled;
    config.autoStart = enabled;
}

void SettingsWindow::TakeOwnerConfig(const DockConfig& live) {
    if (!hwnd || !IsWindow(hwnd)) return;
    DockConfig taken = live;
    DockConfig::Clamp(taken);
    taken.autoStart = config.autoStart;
    // Most often this is the save of a change made here: nothing to show.
    if (taken == config) return;
    const bool themeChanged = taken.theme != config.theme;
    config = std::move(taken);
    if (themeChanged) ApplyDwmLook();
    Invalidate();
}

void SettingsWindow::ShowSaveNotice(std::wstring notice) {
    saveNotice = std::move(notice);
    Invalidate();
}

void SettingsWindow::FollowSystemTheme() {
    if (!hwnd || !IsWindow(hwnd) || config.theme != kGlassThemeSystem) return;
    ApplyDwmLook();
    Invalidate();
}

void SettingsWindow::ShowSaveResult(bool saved) {
    if (saveFailed == !saved) return;
    saveFailed = !saved;
    Invalidate();
}

void SettingsWindow::SetSliderAt(int slider, float x) {
    const D2D1_RECT_F& track = sliderTracks[static_cast<size_t>(slider)];
    DockConfig before = config;
    SetSliderValue(slider, SliderFraction(x, track.left, track.right), config);
    // A step that lands on the same value changes nothing to show or to save.
    if (config == before) return;
    InvalidateArea(sliderRows[static_cast<size_t>(slider)]);
    Commit();
}

void SettingsWindow::DragSlider(float x) {
    if (dragSlider < 1 || dragSlider > 4) return;
    SetSliderAt(dragSlider, x);
}

void SettingsWindow::CommitChange() {
    Invalidate();
    Commit();
}

void SettingsWindow::Commit() {
    DockConfig::Clamp(config);
    // The frame's colours follow the theme; setting them again costs a round trip.
    if (dwmTheme != config.theme) ApplyDwmLook();
    if (callbacks.onConfigChanged) callbacks.onConfigChanged(config);
}

void SettingsWindow::RestoreDefaults() {
    if (callbacks.onRestoreDefaults) callbacks.onRestoreDefaults();
    // The pinned list and the cleared-notification watermark are state, not
    // settings: the owner keeps both, and so does the copy.
    DockConfig defaults = DockConfig::MakeDefault();
    defaults.pinned = config.pinned;
    defaults.clearedNotifWatermark = config.clearedNotifWatermark;
    config = std::move(defaults);
    TakeAutoStart(IsAutoStartEnabled());
    ApplyDwmLook();
    Invalidate();
}

void SettingsWindow::ToggleNativeTaskbar() {
    if (callbacks.onToggleNativeTaskbar) {
        // The owner decides from the taskbar's real state and hands its live
        // configuration back; inverting the copy could disagree with it.
        callbacks.onToggleNativeTaskbar();
    } else {
        config.hideTaskbar = !config.hideTaskbar;
    }
    Invalidate();
}

void SettingsWindow::OnItemClicked(HitItem item, float x) {
    if (const SettingToggle* toggle = FindSettingToggle(item.id)) {
        if (FlipSetting(*toggle, config)) CommitChange();
        return;
    }
    switch (item.id) {
        case kSliderIconSize:
        case kSliderGlass:
        case kSliderAllApps:
            SetSliderAt(item.id, x);
            break;
        case kSliderMagnify:
            if (config.magnifyEnabled) SetSliderAt(item.id, x);
            break;
        case kHitSection:
            if (item.index >= 0 && item.index <= 4 && item.index != section) {
                section = item.index;
                Invalidate();
            }
            break;
        case kHitTheme:
            if (item.index < 0 || item.index > 2) break;
            config.theme = item.index;
            CommitChange();
            break;
        case kHitAutoStart:
            SetAutoStart(!config.autoStart);
            // The switch shows what the system now does: a failed change stays off.
            TakeAutoStart(IsAutoStartEnabled());
            CommitChange();
            break;
        case kHitToggleTaskbar:
            ToggleNativeTaskbar();
            break;
        case kHitRestoreTray:
            config.hiddenTrayApps.clear();
            CommitChange();
            break;
        case kHitRestoreDefaults:
            RestoreDefaults();
            break;
        case kHitDone:
            Close();
            break;
        case kHitTile:
            if (item.index < 0 || item.index >= kControlCenterTileCount) break;
            ToggleControlCenterTile(config, item.index);
            CommitChange();
            break;
        default:
            break;
    }
}
