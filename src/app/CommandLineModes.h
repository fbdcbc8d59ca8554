#pragma once
// The short-lived modes of the executable: each does one job and ends the
// process before any window exists. They return the process exit code.

#include "app/CommandLine.h"

// Waits for the dock process or its cancel event; restores the taskbar when the
// process ended first.
int RunWatchdogMode(const WatchdogArgs& args);

// Puts the system taskbar back; works while a dock instance runs.
int RunRestoreTaskbarMode();

// Installs (install wins when both are set) or removes the logon task: 0 or 2.
int RunLogonTaskMode(bool install);
