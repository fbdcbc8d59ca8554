#pragma once
// The short-lived modes of the executable: each does one job and ends the
// process before any window exists. They return the process exit code.

#include "app/CommandLine.h"

// Waits for the dock process or its cancel event; restores the taskbar when the
// process ended first.
int RunWatchdogMode(const WatchdogArgs& args);

// Puts the system taskbar back. A running dock would hide it again at its next
// look, so it is asked to leave the taskbar to the user for the rest of its
// run: 0 once it has, 2 when a dock runs that cannot be asked.
int RunRestoreTaskbarMode();

// Installs (install wins when both are set) or removes the logon task: 0 or 2.
int RunLogonTaskMode(bool install);
