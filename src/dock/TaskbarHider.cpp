#include "dock/TaskbarHider.h"

#include "app/Log.h"
#include "dock/SystemTaskbar.h"

TaskbarHider::~TaskbarHider() { Restore(); }

void TaskbarHider::Hide(bool /*skipWatchdog*/) {
    SetSystemTaskbarAutoHide(true, savedState, stateSaved);
    SetTaskbarRehideActive(true);
    ShowSystemTaskbars(false);
    if (!hiding) LogMessage(L"System taskbars hidden (savedState=%u)", savedState);
    hiding = true;
}

void TaskbarHider::Restore() {
    bool wasHiding = hiding;
    hiding = false;
    SetTaskbarRehideActive(false);
    if (!wasHiding && !stateSaved) return;
    SetSystemTaskbarAutoHide(false, savedState, stateSaved);
    ShowSystemTaskbars(true);
}
