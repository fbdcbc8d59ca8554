#pragma once
// One mirrored notification-area icon, as the tray monitor publishes it and the
// top bar draws and acts on it. Copied, never shared, across threads.

#include <windows.h>

#include <cstdint>
#include <string>

#include "system/tray/TrayProcesses.h"

struct TrayIconInfo {
    std::wstring key;            // normalised executable path: identifies the application
    std::wstring displayName;    // tooltip's first line, tray item name or executable stem
    std::wstring exePath;        // as the system reports it
    uint32_t pid = 0;            // 0 when none is known
    uint8_t onBar = 0;           // 1 on the taskbar itself, 0 in the overflow area
    HWND ownerWindow = nullptr;  // null when matched by name only
    uint32_t uID = 0;
    uint32_t callbackMessage = 0;  // known only from the classic toolbars

    // Forwards a left click to the owner, or brings the application forward, or
    // opens its executable.
    void Activate() const;

    // The owner window still exists with the application's executable behind
    // it, or, matched by name only, a process of the executable still runs.
    // Activate on a departed application would start it again.
    bool OwnerRunning() const;

    // 0 alive, 1 icon registration gone, 2 owner process gone.
    int CheckAlive(const RunningExeMap& running) const;
};
