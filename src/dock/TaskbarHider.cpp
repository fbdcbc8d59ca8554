#include "dock/TaskbarHider.h"

#include <iterator>

#include "app/Log.h"
#include "dock/SystemTaskbar.h"

TaskbarHider::~TaskbarHider() { Restore(); }

void TaskbarHider::Hide(bool skipWatchdog) {
    SetSystemTaskbarAutoHide(true, savedState, stateSaved);
    SetTaskbarRehideActive(true);
    ShowSystemTaskbars(false);
    if (!hiding) LogMessage(L"System taskbars hidden (savedState=%u)", savedState);
    hiding = true;
    if (!skipWatchdog) StartWatchdog();
}

void TaskbarHider::StartWatchdog() {
    if (!hiding || watchdogProcess || cancelEvent) return;
    wchar_t eventName[64];
    _snwprintf(eventName, 63, L"Local\\Vantreel_WatchdogCancel_%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    eventName[63] = L'\0';
    cancelEvent = CreateEventW(nullptr, TRUE, FALSE, eventName);
    if (!cancelEvent) return;
    wchar_t path[MAX_PATH] = {};
    DWORD len = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (len == 0 || len >= MAX_PATH) return;  // the event stays: no second attempt
    wchar_t commandLine[MAX_PATH + 128];
    _snwprintf(commandLine, std::size(commandLine) - 1, L"\"%s\" --watchdog %lu 0 %s", path,
               static_cast<unsigned long>(GetCurrentProcessId()), eventName);
    commandLine[std::size(commandLine) - 1] = L'\0';
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (CreateProcessW(path, commandLine, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                       &info)) {
        CloseHandle(info.hThread);
        watchdogProcess = info.hProcess;
    }
}

void TaskbarHider::Restore() {
    // The watchdog sees the cancel and ends without touching the taskbar.
    if (cancelEvent) {
        SetEvent(cancelEvent);
        CloseHandle(cancelEvent);
        cancelEvent = nullptr;
    }
    if (watchdogProcess) {
        WaitForSingleObject(watchdogProcess, 400);
        CloseHandle(watchdogProcess);
        watchdogProcess = nullptr;
    }
    bool wasHiding = hiding;
    hiding = false;
    SetTaskbarRehideActive(false);
    if (!wasHiding && !stateSaved) return;
    SetSystemTaskbarAutoHide(false, savedState, stateSaved);
    ShowSystemTaskbars(true);
}
