#pragma once
// The all-apps launcher as the dock sees it: wired and driven by the dock,
// calling back through its callback set. This version keeps the launcher's
// state (visible, re-open guard, configuration copy) without a window, so the
// dock's rules that depend on it run and can be tested before the launcher's
// grid exists.

#include <windows.h>

#include <cstdint>
#include <functional>

#include "apps/InstalledApp.h"
#include "config/DockConfig.h"

class GraphicsDevice;
class CompositionHost;
class IconLoader;
class MacMenuWindow;

class AllAppsWindow {
public:
    struct Callbacks {
        std::function<void(const InstalledApp&)> onPinToDock;
        std::function<void(const InstalledApp&)> onHideApp;
        std::function<void(const InstalledApp&)> onUnhideApp;
        std::function<void()> onUnhideAll;
        std::function<void()> onRequestFrame;
        std::function<void()> onClosed;

        Callbacks& operator=(Callbacks&&) = default;
    };

    // A re-open this soon after hiding is taken for the click that closed it.
    static constexpr uint64_t kReopenGuardMs = 250;

    AllAppsWindow() = default;
    AllAppsWindow(const AllAppsWindow&) = delete;
    AllAppsWindow& operator=(const AllAppsWindow&) = delete;
    ~AllAppsWindow();

    void Initialize(HMONITOR monitor, const DockConfig& config, float scale, float reserve);
    void Toggle(HMONITOR monitor, const DockConfig& config, float scale, float reserve);
    void ApplyTheme(const DockConfig& config, float scale);
    void HandleDeviceLost();
    bool IsAnimating() const { return false; }
    void Tick(float dt);
    void Shutdown();

    bool IsVisible() const { return visible; }

    // Wiring, stored by the dock before Initialize; every one outlives this object.
    HINSTANCE instance = nullptr;
    GraphicsDevice* graphics = nullptr;
    CompositionHost* composition = nullptr;
    IconLoader* iconLoader = nullptr;
    MacMenuWindow* menu = nullptr;
    Callbacks callbacks;

    bool visible = false;
    bool initialized = false;
    bool shutDown = false;
    uint64_t lastHideTick = 0;
    HMONITOR monitor = nullptr;
    DockConfig config;
    float scale = 1.0f;
    float reserve = 0.0f;

    // The clock behind the re-open guard; tests replace it.
    std::function<uint64_t()> tickCount = [] { return GetTickCount64(); };
};
