#include "dock/DockWindow.h"

#include "app/StartupLog.h"

DockWindow::~DockWindow() { Shutdown(); }

bool DockWindow::Initialize(HINSTANCE instance, bool /*keepTaskbar*/) {
    instance_ = instance;
    StartupLog::Open();
    // The dock's windows and services are not built yet, so there is nothing to run.
    return false;
}

bool DockWindow::IsAnimating() { return false; }

void DockWindow::Tick(float) {}

void DockWindow::Shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    StartupLog::Close();
}
