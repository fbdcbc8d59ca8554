#include "topbar/TopBarWindow.h"

#include <algorithm>

#include "system/tray/TrayMonitor.h"

TopBarWindow::~TopBarWindow() { Shutdown(); }

void TopBarWindow::Initialize(HINSTANCE moduleInstance, GraphicsDevice& graphicsDevice,
                              CompositionHost& compositionHost, MacMenuWindow& sharedMenu,
                              const Callbacks& callbackSet) {
    instance = moduleInstance;
    graphics = &graphicsDevice;
    composition = &compositionHost;
    menu = &sharedMenu;
    callbacks = callbackSet;
    // Until the first full collection the bar shows the snapshot's defaults
    // with a real clock and input indicator.
    foreground = vantreel::GetForegroundAppInfo(nullptr);
    status = vantreel::CollectSystemStatus(false, &status, foreground.hwnd);
    EnsureTrayMonitorStarted();
}

void TopBarWindow::Apply(HMONITOR monitorHandle, const DockConfig& configuration, float scaleFactor) {
    if (shutDown) return;
    monitor = monitorHandle;
    config = configuration;
    scale = std::max(scaleFactor, 1.0f);
    ++applyCount;
}

void TopBarWindow::Shutdown() {
    if (shutDown) return;
    shutDown = true;
    if (window) {
        DestroyWindow(window);
        window = nullptr;
    }
}
