#pragma once
// The classic tray toolbars of the shell, read out of the shell's memory.

#include <windows.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "system/tray/TrayIconInfo.h"

// Whether the shell's tray toolbars (on the taskbar or in the overflow window)
// exist; when they do, icons gets one record per executable (order unspecified).
bool ReadLegacyTrayToolbars(std::vector<TrayIconInfo>& icons);

// Reads the buttons of one toolbar into byKey: a record per executable, the one on
// the bar winning over hidden ones, else the first.
void ReadTrayToolbarButtons(HWND toolbar, bool isOverflow, std::unordered_map<std::wstring, TrayIconInfo>& byKey);
