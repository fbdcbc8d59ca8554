#pragma once
// The shell's per-icon registry entries under "Control Panel\NotifyIconSettings"
// of the current user, gathered per running executable.

#include <vector>

#include "system/tray/TrayProcesses.h"
#include "system/tray/TraySettingRecords.h"

// One setting per running executable that has entries, in order of first
// appearance; executables that are not running are ignored.
std::vector<NotifyIconSetting> ReadNotifyIconSettings(const RunningExeMap& running);
