#pragma once
// The tray-apps panel's edits by application key: dropping every row of a
// closed application, and hiding or showing one.

#include <string>
#include <vector>

#include "system/tray/TrayIconInfo.h"

// Moves to the front, in order, the records whose normalised key differs from
// key (already normalised) and returns the new end; the caller erases the tail.
std::vector<TrayIconInfo>::iterator RemoveTrayItemsByKey(std::vector<TrayIconInfo>::iterator first,
                                                         std::vector<TrayIconInfo>::iterator last,
                                                         const std::wstring& key);

// Removes the first entry equal to key, or appends key when there is none.
// Returns true when the key is hidden afterwards.
bool ToggleHiddenTrayKey(std::vector<std::wstring>& hiddenKeys, const std::wstring& key);
