#pragma once
// The records the tray sources hand to the monitor: one running executable with
// notification-area registry entries, and one tray item seen through UI Automation.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct NotifyIconSetting {
    std::wstring key;      // normalised executable path
    std::wstring exePath;  // as the process snapshot reports it
    std::vector<uint32_t> pids;
    std::wstring displayName;            // the longest name made from its tooltips
    std::vector<std::wstring> tooltips;  // distinct, in reading order
    std::vector<uint32_t> uids;          // distinct; {0, 1, 2, 3} when none was read
    bool promoted = false;
};

struct UiaNotifyItem {
    RECT rect{};
    std::wstring name;  // trimmed
    bool taken = false;
};
