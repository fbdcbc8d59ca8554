#pragma once
// The top bar as the dock sees it: wired with its callback set, told the
// monitor, configuration and scale, shut down once. This version keeps that
// state without creating the bar's window, so the dock starts and runs before
// the bar itself exists.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "config/DockConfig.h"
#include "render/GlassTheme.h"
#include "system/ForegroundApp.h"
#include "system/StatusSnapshot.h"

class GraphicsDevice;
class CompositionHost;
class MacMenuWindow;

class TopBarWindow {
public:
    struct Callbacks {
        std::function<void()> onToggleAllApps;
        std::function<void()> onOpenSettings;
        std::function<void()> onToggleNativeTaskbar;
        std::function<void(GlassTheme)> onSetTheme;
        std::function<void()> onQuit;
        std::function<void()> onPopupClosed;
        std::function<void(bool)> onTrayCollapsedChanged;
        std::function<void(const std::vector<std::wstring>&)> onHiddenTrayAppsChanged;
        std::function<void(bool)> onDoNotDisturbChanged;
        std::function<void(uint64_t)> onNotificationsCleared;  // a FILETIME watermark
    };

    TopBarWindow() = default;
    TopBarWindow(const TopBarWindow&) = delete;
    TopBarWindow& operator=(const TopBarWindow&) = delete;
    ~TopBarWindow();

    void Initialize(HINSTANCE instance, GraphicsDevice& graphics, CompositionHost& composition,
                    MacMenuWindow& menu, const Callbacks& callbacks);
    void Apply(HMONITOR monitor, const DockConfig& config, float scale);
    void Shutdown();
    void RefreshActiveApp() {}
    void SetHiddenForFullscreen(bool hidden) { hiddenForFullscreen = hidden; }
    void RemoveAppBar() {}

    // The bar's window; null until it is created.
    HWND Window() const { return window; }

    HINSTANCE instance = nullptr;
    GraphicsDevice* graphics = nullptr;
    CompositionHost* composition = nullptr;
    MacMenuWindow* menu = nullptr;
    Callbacks callbacks;
    HWND window = nullptr;
    HMONITOR monitor = nullptr;
    DockConfig config;
    float scale = 1.0f;
    int applyCount = 0;
    bool hiddenForFullscreen = false;
    bool shutDown = false;
    vantreel::ForegroundAppInfo foreground;  // the application the bar names
    vantreel::SystemStatusSnapshot status;   // what the status items show
};
