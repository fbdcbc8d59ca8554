#pragma once
// The classic tray toolbars of the shell, read out of the shell's memory.

#include <windows.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "system/tray/TrayIconInfo.h"

enum class LegacyTrayRead {
    Absent,  // no classic toolbars: the caller uses the other sources
    Read,    // icons holds one record per executable (order unspecified)
    Failed,  // the toolbars exist but their host could not be opened or did not answer in time
};

LegacyTrayRead ReadLegacyTrayToolbars(std::vector<TrayIconInfo>& icons);

// Reads the buttons of one toolbar into byKey: a record per executable, the one on
// the bar winning over hidden ones, else the first. False when the host could not
// be opened or a request timed out; a missing toolbar reads nothing and succeeds.
//
// The toolbar writes its answers into a page in its host's memory, and a late
// answer still writes there after the wait ran out: so the page is kept for the
// calling thread's life and reused, and a host that once answered late keeps its
// page for good.
bool ReadTrayToolbarButtons(HWND toolbar, bool isOverflow, std::unordered_map<std::wstring, TrayIconInfo>& byKey);
