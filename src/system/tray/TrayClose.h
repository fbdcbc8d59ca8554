#pragma once
// Quitting the application behind a tray icon: close its windows politely, wait
// a little, then end what remains, children before parents. Reports only to the
// debug log; the monitor's next pass shows the effect.

#include <windows.h>

#include <functional>

#include "system/tray/TrayIconInfo.h"

// Blocks for up to about a second plus 500 ms per forced process.
void TrayClose(const TrayIconInfo& icon);

// Runs `body` on a detached thread; false when no thread can be made.
using TrayThreadStarter = std::function<bool(std::function<void()> body)>;

// Runs TrayClose on a detached thread of its own with a copy of the icon; when no
// thread can be started, closes on the calling thread instead.
void TrayCloseAsync(const TrayIconInfo& icon);
void TrayCloseAsync(const TrayIconInfo& icon, const TrayThreadStarter& startThread);
