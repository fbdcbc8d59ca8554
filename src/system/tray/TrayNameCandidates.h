#pragma once
// The names an application may show in the tray: tooltips, file stem and the
// names of its version resource, which are read once per path and kept.

#include <string>
#include <vector>

#include "system/tray/TraySettingRecords.h"

// Appends FileDescription, ProductName, InternalName and OriginalFilename of the
// first translation, those present and non-empty. Cached per exact path, also
// when there are none. Safe from any thread.
void GetFileVersionName(const std::wstring& exePath, std::vector<std::wstring>& names);

// Tooltips, the stem, the stem with '-', '.', '_' as spaces, the version names.
std::vector<std::wstring> GetTrayNameCandidates(const NotifyIconSetting& setting);
