#include "allapps/AllAppsWindow.h"

AllAppsWindow::~AllAppsWindow() { Shutdown(); }

void AllAppsWindow::Initialize(HMONITOR monitorHandle, const DockConfig& configuration, float scaleFactor,
                               float reserveDip) {
    if (shutDown) return;
    monitor = monitorHandle;
    config = configuration;
    scale = scaleFactor;
    reserve = reserveDip;
    initialized = true;
}

void AllAppsWindow::Toggle(HMONITOR monitorHandle, const DockConfig& configuration, float scaleFactor,
                           float reserveDip) {
    if (shutDown) return;
    if (visible) {
        visible = false;
        lastHideTick = tickCount();
        if (callbacks.onClosed) callbacks.onClosed();
        return;
    }
    if (lastHideTick != 0 && tickCount() - lastHideTick < kReopenGuardMs) return;
    monitor = monitorHandle;
    config = configuration;
    scale = scaleFactor;
    reserve = reserveDip;
    visible = true;
}

void AllAppsWindow::ApplyTheme(const DockConfig& configuration, float scaleFactor) {
    config = configuration;
    scale = scaleFactor;
}

void AllAppsWindow::HandleDeviceLost() {}

void AllAppsWindow::Tick(float) {}

void AllAppsWindow::Shutdown() {
    if (shutDown) return;
    shutDown = true;
    visible = false;
}
